// Setup-service, configuration-manager and mixer calls, forwarded and logged.
// The configuration manager returns its CR_ codes, so no last-error code is
// logged for it.
#pragma once

#include "diagnostics/CallLog.h"
#include "platform/DeviceSetup.h"

namespace diagnostics {

class LoggedDeviceSetup final : public platform::DeviceSetup {
 public:
  LoggedDeviceSetup(platform::DeviceSetup& inner, CallLog& log) : m_inner(inner), m_log(log) {}

  platform::DevInfoSet GetClassDevs(uint32_t flags) override;
  bool EnumDeviceInfo(platform::DevInfoSet set, uint32_t index,
                      platform::DevInfoData* data) override;
  bool GetDeviceRegistryProperty(platform::DevInfoSet set, const platform::DevInfoData& data,
                                 uint32_t property, uint8_t* buffer, uint32_t bufferSize,
                                 uint32_t* requiredSize) override;
  bool RemoveDevice(platform::DevInfoSet set, const platform::DevInfoData& data) override;
  bool DestroyDeviceInfoList(platform::DevInfoSet set) override;
  bool CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                  uint32_t mediaType, uint32_t copyStyle) override;
  bool QuerySourceList(uint32_t flags, platform::SourceList* list) override;
  bool SetSourceList(uint32_t flags, const std::vector<std::string>& entries) override;
  bool FreeSourceList(platform::SourceList* list) override;
  uint32_t LocateRootDevNode(uint32_t flags, uint32_t* devInst) override;
  uint32_t ReenumerateDevNode(uint32_t devInst, uint32_t flags) override;
  uint32_t MixerGetNumDevs() override;

 private:
  platform::DeviceSetup& m_inner;
  CallLog& m_log;
};

}  // namespace diagnostics
