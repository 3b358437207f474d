// Setup services, configuration manager and multimedia, with setupapi.dll,
// cfgmgr32.dll and winmm.dll loaded from the system folder on first use. A
// call whose DLL or function is missing fails with ERROR_CALL_NOT_IMPLEMENTED.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "platform/DeviceSetup.h"
#include "platform/win32/Win32SystemLibrary.h"

namespace platform {

class Win32DeviceSetup final : public DeviceSetup {
 public:
  Win32DeviceSetup();

  DevInfoSet GetClassDevs(uint32_t flags) override;
  bool EnumDeviceInfo(DevInfoSet set, uint32_t index, DevInfoData* data) override;
  bool GetDeviceRegistryProperty(DevInfoSet set, const DevInfoData& data, uint32_t property,
                                 uint8_t* buffer, uint32_t bufferSize,
                                 uint32_t* requiredSize) override;
  bool RemoveDevice(DevInfoSet set, const DevInfoData& data) override;
  bool DestroyDeviceInfoList(DevInfoSet set) override;
  bool CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                  uint32_t mediaType, uint32_t copyStyle) override;
  bool UninstallOEMInf(const std::string& infFileName, uint32_t flags) override;
  bool QuerySourceList(uint32_t flags, SourceList* list) override;
  bool SetSourceList(uint32_t flags, const std::vector<std::string>& entries) override;
  bool FreeSourceList(SourceList* list) override;

  uint32_t LocateRootDevNode(uint32_t flags, uint32_t* devInst) override;
  uint32_t ReenumerateDevNode(uint32_t devInst, uint32_t flags) override;

  uint32_t MixerGetNumDevs() override;

 private:
  // The SP_DEVINFO_DATA that SetupDiEnumDeviceInfo filled in, by set and
  // index: DevInfoData carries only the index and the device instance.
  struct NativeDevice {
    uint32_t devInst = 0;
    std::vector<unsigned char> bytes;  // the SP_DEVINFO_DATA
  };
  const NativeDevice* FindDevice(DevInfoSet set, const DevInfoData& data) const;
  bool NativeData(DevInfoSet set, const DevInfoData& data, void* device) const;

  Win32SystemLibrary m_setupApi;
  Win32SystemLibrary m_configManager;
  Win32SystemLibrary m_multimedia;
  bool m_underWine;
  std::map<std::pair<DevInfoSet, uint32_t>, NativeDevice> m_devices;
  // The list SetupQuerySourceListA handed out, until it is given back.
  void* m_queriedList = nullptr;
  uint32_t m_queriedCount = 0;
};

}  // namespace platform
