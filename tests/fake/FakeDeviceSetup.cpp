#include "fake/FakeDeviceSetup.h"

#include <cstring>

#include "fake/PathText.h"
#include "platform/WinApi.h"

namespace fake {

FakeDeviceSetup::FakeDeviceSetup(FakeFileSystem& files, Journal& journal, LastError& lastError)
    : m_files(files), m_journal(journal), m_lastError(lastError) {}

platform::DevInfoSet FakeDeviceSetup::GetClassDevs(uint32_t flags) {
  if (classDevsFails) {
    m_lastError.code = ERROR_INVALID_PARAMETER;
    return platform::kInvalidDevInfoSet;
  }
  std::vector<size_t> members;
  for (size_t i = 0; i < m_devices.size(); ++i) {
    if (m_devices[i].present || !(flags & DIGCF_PRESENT)) members.push_back(i);
  }
  platform::DevInfoSet set = m_nextSet++;
  m_sets[set] = members;
  ++openSets;
  return set;
}

bool FakeDeviceSetup::EnumDeviceInfo(platform::DevInfoSet set, uint32_t index,
                                     platform::DevInfoData* data) {
  auto it = m_sets.find(set);
  if (it == m_sets.end()) {
    m_lastError.code = ERROR_INVALID_HANDLE;
    return false;
  }
  if (index >= it->second.size()) {
    m_lastError.code = ERROR_NO_MORE_ITEMS;
    return false;
  }
  data->index = index;
  data->devInst = static_cast<uint32_t>(it->second[index] + 1);
  return true;
}

FakeDevice* FakeDeviceSetup::DeviceOf(platform::DevInfoSet set, const platform::DevInfoData& data) {
  auto it = m_sets.find(set);
  if (it == m_sets.end() || data.index >= it->second.size()) return nullptr;
  return &m_devices[it->second[data.index]];
}

bool FakeDeviceSetup::GetDeviceRegistryProperty(platform::DevInfoSet set,
                                                const platform::DevInfoData& data,
                                                uint32_t property, uint8_t* buffer,
                                                uint32_t bufferSize, uint32_t* requiredSize) {
  FakeDevice* device = DeviceOf(set, data);
  if (!device || property != SPDRP_HARDWAREID) {
    m_lastError.code = ERROR_INVALID_PARAMETER;
    return false;
  }
  if (device->propertyError) {
    m_lastError.code = device->propertyError;
    return false;
  }
  std::string multiSz;
  if (device->hardwareIdData) {
    multiSz = *device->hardwareIdData;
  } else if (!device->hardwareIds.empty()) {
    for (const std::string& id : device->hardwareIds) multiSz += id + std::string(1, '\0');
    multiSz += '\0';
  }
  if (multiSz.empty()) {
    m_lastError.code = ERROR_INVALID_DATA;
    return false;
  }
  if (requiredSize) *requiredSize = static_cast<uint32_t>(multiSz.size());
  if (!buffer || bufferSize < multiSz.size()) {
    m_lastError.code = ERROR_INSUFFICIENT_BUFFER;
    return false;
  }
  std::memcpy(buffer, multiSz.data(), multiSz.size());
  return true;
}

bool FakeDeviceSetup::RemoveDevice(platform::DevInfoSet set, const platform::DevInfoData& data) {
  FakeDevice* device = DeviceOf(set, data);
  if (!device) {
    m_lastError.code = ERROR_INVALID_PARAMETER;
    return false;
  }
  if (device->removeFails) {
    m_lastError.code = ERROR_ACCESS_DENIED;
    return false;
  }
  device->present = false;
  m_removed.push_back(device->instanceId);
  m_journal.Add("remove device " + device->instanceId);
  return true;
}

bool FakeDeviceSetup::DestroyDeviceInfoList(platform::DevInfoSet set) {
  if (!m_sets.erase(set)) {
    m_lastError.code = ERROR_INVALID_HANDLE;
    return false;
  }
  --openSets;
  m_lastError.code = ERROR_SUCCESS;  // a successful call resets the code
  return true;
}

bool FakeDeviceSetup::CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                                 uint32_t mediaType, uint32_t copyStyle) {
  m_journal.Add("copyoeminf " + sourceInf + " media=" + mediaLocation +
                " type=" + std::to_string(mediaType) + " style=" + std::to_string(copyStyle));
  copiedInfs.push_back(sourceInf);
  if (copyOemInfRefusal) {
    m_lastError.code = *copyOemInfRefusal;
    return false;
  }
  if (!m_files.FileExists(sourceInf)) {
    m_lastError.code = ERROR_FILE_NOT_FOUND;
    return false;
  }
  std::string target =
      m_files.GetWindowsDirectory(260) + "\\INF\\oem" + std::to_string(m_nextOem++) + ".inf";
  m_files.AddFile(target, m_files.Contents(sourceInf));
  if (copyStyle & SP_COPY_DELETESOURCE) {
    m_files.SetFileAttributes(sourceInf, FILE_ATTRIBUTE_NORMAL);
    m_files.DeleteFile(sourceInf);
  }
  return true;
}

bool FakeDeviceSetup::UninstallOEMInf(const std::string& infFileName, uint32_t) {
  if (infFileName.find('\\') != std::string::npos) {
    m_lastError.code = ERROR_INVALID_PARAMETER;
    return false;
  }
  const std::string inf = m_files.GetWindowsDirectory(260) + "\\INF\\" + infFileName;
  if (!m_files.FileExists(inf)) {
    m_lastError.code = ERROR_FILE_NOT_FOUND;
    return false;
  }
  // The services remove the INF and its precompiled companion, read-only or not.
  for (const std::string& path : {inf, inf.substr(0, inf.size() - 3) + "PNF"}) {
    m_files.SetFileAttributes(path, FILE_ATTRIBUTE_NORMAL);
    m_files.DeleteFile(path);
  }
  m_journal.Add("uninstalloeminf " + infFileName);
  return true;
}

bool FakeDeviceSetup::QuerySourceList(uint32_t, platform::SourceList* list) {
  if (!sourceListAvailable) {
    m_lastError.code = ERROR_CALL_NOT_IMPLEMENTED;
    return false;
  }
  list->entries = sourceList;
  return true;
}

bool FakeDeviceSetup::SetSourceList(uint32_t, const std::vector<std::string>& entries) {
  ++setSourceListCalls;
  sourceList = entries;
  m_journal.Add("setsourcelist " + std::to_string(entries.size()));
  return true;
}

bool FakeDeviceSetup::FreeSourceList(platform::SourceList* list) {
  ++freeSourceListCalls;
  list->entries.clear();
  return true;
}

uint32_t FakeDeviceSetup::LocateRootDevNode(uint32_t, uint32_t* devInst) {
  if (locateFails) return 0x0D;  // CR_NO_SUCH_DEVNODE
  *devInst = 0x100;
  return CR_SUCCESS;
}

uint32_t FakeDeviceSetup::ReenumerateDevNode(uint32_t, uint32_t) {
  ++reenumerations;
  m_journal.Add("reenumerate");
  return CR_SUCCESS;
}

uint32_t FakeDeviceSetup::MixerGetNumDevs() {
  ++mixerCountCalls;
  uint32_t count = mixerCounts.front() + (reenumerations ? mixersFromReenumeration : 0);
  if (mixerCounts.size() > 1) mixerCounts.pop_front();
  m_journal.Add("mixers " + std::to_string(count));
  return count;
}

}  // namespace fake
