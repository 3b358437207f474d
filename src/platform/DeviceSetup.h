// Setup services, configuration manager and multimedia. Their DLLs are loaded
// at run time; where one is missing (Windows 95, NT 4) every call fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Handles.h"

namespace platform {

// One device of a device information set (SP_DEVINFO_DATA).
struct DevInfoData {
  uint32_t index = 0;
  uint32_t devInst = 0;
};

// A list returned by SetupQuerySourceListA, to be given back to FreeSourceList.
struct SourceList {
  std::vector<std::string> entries;
};

class DeviceSetup {
 public:
  virtual ~DeviceSetup() = default;

  // SetupDiGetClassDevsA(NULL, NULL, NULL, flags).
  virtual DevInfoSet GetClassDevs(uint32_t flags) = 0;
  virtual bool EnumDeviceInfo(DevInfoSet set, uint32_t index, DevInfoData* data) = 0;
  // SetupDiGetDeviceRegistryPropertyA into buffer (bufferSize bytes; buffer
  // may be null when bufferSize is 0). *requiredSize receives the size.
  virtual bool GetDeviceRegistryProperty(DevInfoSet set, const DevInfoData& data, uint32_t property,
                                         uint8_t* buffer, uint32_t bufferSize,
                                         uint32_t* requiredSize) = 0;
  virtual bool RemoveDevice(DevInfoSet set, const DevInfoData& data) = 0;
  virtual bool DestroyDeviceInfoList(DevInfoSet set) = 0;
  // SetupCopyOEMInfA with no destination name buffer.
  virtual bool CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                          uint32_t mediaType, uint32_t copyStyle) = 0;
  // SetupUninstallOEMInfA: the setup services remove an INF of the INF
  // folder, by its file name, with what they keep of it. Windows XP and later.
  virtual bool UninstallOEMInf(const std::string& infFileName, uint32_t flags) = 0;
  // SetupQuerySourceListA / SetupSetSourceListA / SetupFreeSourceListA.
  virtual bool QuerySourceList(uint32_t flags, SourceList* list) = 0;
  virtual bool SetSourceList(uint32_t flags, const std::vector<std::string>& entries) = 0;
  virtual bool FreeSourceList(SourceList* list) = 0;

  // CM_Locate_DevNodeA(&devInst, NULL, flags) and CM_Reenumerate_DevNode.
  virtual uint32_t LocateRootDevNode(uint32_t flags, uint32_t* devInst) = 0;
  virtual uint32_t ReenumerateDevNode(uint32_t devInst, uint32_t flags) = 0;

  // mixerGetNumDevs.
  virtual uint32_t MixerGetNumDevs() = 0;
};

}  // namespace platform
