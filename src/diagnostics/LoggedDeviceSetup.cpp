#include "diagnostics/LoggedDeviceSetup.h"

namespace diagnostics {

namespace {

// A device of a set: its index in the set and its device instance.
std::string Device(const platform::DevInfoData& data) {
  return std::to_string(data.index) + "/" + Hex(data.devInst);
}

}  // namespace

platform::DevInfoSet LoggedDeviceSetup::GetClassDevs(uint32_t flags) {
  const platform::DevInfoSet set = m_inner.GetClassDevs(flags);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("DeviceSetup.GetClassDevs")
                  .Hex(flags, "flags")
                  .ReturnsHex(set)
                  .ErrorIf(set == platform::kInvalidDevInfoSet, error));
  return set;
}

bool LoggedDeviceSetup::EnumDeviceInfo(platform::DevInfoSet set, uint32_t index,
                                       platform::DevInfoData* data) {
  const bool ok = m_inner.EnumDeviceInfo(set, index, data);
  const uint32_t error = m_log.LastError();
  CallLine line("DeviceSetup.EnumDeviceInfo");
  line.Hex(set).Number(index).Returns(ok);
  if (ok) line.Out("device", Device(*data));
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

bool LoggedDeviceSetup::GetDeviceRegistryProperty(platform::DevInfoSet set,
                                                  const platform::DevInfoData& data,
                                                  uint32_t property, uint8_t* buffer,
                                                  uint32_t bufferSize, uint32_t* requiredSize) {
  const bool ok =
      m_inner.GetDeviceRegistryProperty(set, data, property, buffer, bufferSize, requiredSize);
  const uint32_t error = m_log.LastError();
  CallLine line("DeviceSetup.GetDeviceRegistryProperty");
  line.Hex(set)
      .Argument(Device(data), "device")
      .Number(property, "property")
      .Number(bufferSize, "bufferSize")
      .Returns(ok);
  if (requiredSize != nullptr) line.Out("required", std::to_string(*requiredSize));
  if (ok && buffer != nullptr) {
    const uint32_t size =
        requiredSize != nullptr && *requiredSize < bufferSize ? *requiredSize : bufferSize;
    line.Out("data", Quoted(std::string(reinterpret_cast<const char*>(buffer), size)));
  }
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

bool LoggedDeviceSetup::RemoveDevice(platform::DevInfoSet set, const platform::DevInfoData& data) {
  const bool ok = m_inner.RemoveDevice(set, data);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("DeviceSetup.RemoveDevice")
                  .Hex(set)
                  .Argument(Device(data), "device")
                  .Returns(ok)
                  .ErrorIf(!ok, error));
  return ok;
}

bool LoggedDeviceSetup::DestroyDeviceInfoList(platform::DevInfoSet set) {
  const bool ok = m_inner.DestroyDeviceInfoList(set);
  const uint32_t error = m_log.LastError();
  m_log.Write(
      CallLine("DeviceSetup.DestroyDeviceInfoList").Hex(set).Returns(ok).ErrorIf(!ok, error));
  return ok;
}

bool LoggedDeviceSetup::CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                                   uint32_t mediaType, uint32_t copyStyle) {
  const bool ok = m_inner.CopyOEMInf(sourceInf, mediaLocation, mediaType, copyStyle);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("DeviceSetup.CopyOEMInf")
                  .Text(sourceInf)
                  .Text(mediaLocation)
                  .Number(mediaType, "mediaType")
                  .Hex(copyStyle, "copyStyle")
                  .Returns(ok)
                  .ErrorIf(!ok, error));
  return ok;
}

bool LoggedDeviceSetup::QuerySourceList(uint32_t flags, platform::SourceList* list) {
  const bool ok = m_inner.QuerySourceList(flags, list);
  const uint32_t error = m_log.LastError();
  CallLine line("DeviceSetup.QuerySourceList");
  line.Hex(flags, "flags").Returns(ok);
  if (ok) line.Out("entries", QuotedList(list->entries));
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

bool LoggedDeviceSetup::SetSourceList(uint32_t flags, const std::vector<std::string>& entries) {
  const bool ok = m_inner.SetSourceList(flags, entries);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("DeviceSetup.SetSourceList")
                  .Hex(flags, "flags")
                  .Texts(entries)
                  .Returns(ok)
                  .ErrorIf(!ok, error));
  return ok;
}

bool LoggedDeviceSetup::FreeSourceList(platform::SourceList* list) {
  const size_t entries = list->entries.size();
  const bool ok = m_inner.FreeSourceList(list);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("DeviceSetup.FreeSourceList")
                  .Number(static_cast<int64_t>(entries), "entries")
                  .Returns(ok)
                  .ErrorIf(!ok, error));
  return ok;
}

uint32_t LoggedDeviceSetup::LocateRootDevNode(uint32_t flags, uint32_t* devInst) {
  const uint32_t result = m_inner.LocateRootDevNode(flags, devInst);
  CallLine line("DeviceSetup.LocateRootDevNode");
  line.Hex(flags, "flags").ReturnsNumber(result);
  if (result == 0) line.Out("devInst", Hex(*devInst));
  m_log.Write(line);
  return result;
}

uint32_t LoggedDeviceSetup::ReenumerateDevNode(uint32_t devInst, uint32_t flags) {
  const uint32_t result = m_inner.ReenumerateDevNode(devInst, flags);
  m_log.Write(CallLine("DeviceSetup.ReenumerateDevNode")
                  .Hex(devInst)
                  .Hex(flags, "flags")
                  .ReturnsNumber(result));
  return result;
}

uint32_t LoggedDeviceSetup::MixerGetNumDevs() {
  const uint32_t result = m_inner.MixerGetNumDevs();
  m_log.Write(CallLine("DeviceSetup.MixerGetNumDevs").ReturnsNumber(result));
  return result;
}

}  // namespace diagnostics
