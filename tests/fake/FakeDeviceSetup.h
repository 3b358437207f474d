// Device setup services, configuration manager and mixer count of the fake
// machine: a list of present devices with their hardware IDs, an INF
// directory that receives OEM INFs, the installation source list, and a
// mixer count that the test scripts call by call.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fake/FakeFileSystem.h"
#include "fake/Journal.h"
#include "platform/DeviceSetup.h"

namespace fake {

struct FakeDevice {
  std::string instanceId;
  std::vector<std::string> hardwareIds;  // empty list: the property is missing
  // When set, the property's bytes exactly as stored, in place of the list
  // built from hardwareIds (any length, terminated or not); empty: missing.
  std::optional<std::string> hardwareIdData;
  bool present = true;
  bool removeFails = false;
  uint32_t propertyError = 0;  // nonzero: the property query fails with it
};

class FakeDeviceSetup : public platform::DeviceSetup {
 public:
  FakeDeviceSetup(FakeFileSystem& files, Journal& journal, LastError& lastError);

  // Test controls and observations.
  void AddDevice(const FakeDevice& device) { m_devices.push_back(device); }
  const std::vector<FakeDevice>& Devices() const { return m_devices; }
  std::vector<std::string> RemovedDevices() const { return m_removed; }
  bool classDevsFails = false;
  bool sourceListAvailable = true;  // false: the query fails as on Wine
  std::vector<std::string> sourceList{"D:\\I386"};
  int setSourceListCalls = 0;
  int freeSourceListCalls = 0;
  bool locateFails = false;
  int reenumerations = 0;
  // Values returned by successive MixerGetNumDevs calls; the last one repeats.
  std::deque<uint32_t> mixerCounts{0};
  // Mixer devices that a re-enumeration brings up at once (a detected device
  // whose driver loads immediately); added to every count read after it.
  uint32_t mixersFromReenumeration = 0;
  int mixerCountCalls = 0;
  std::vector<std::string> copiedInfs;  // source INF paths given to CopyOEMInf
  // When set, CopyOEMInf refuses every INF with this error, as Windows does
  // for a user without administrator rights (5) or a full disk (112); 0 as
  // error code stands for a refusal that leaves none.
  std::optional<uint32_t> copyOemInfRefusal;
  int openSets = 0;

  // platform::DeviceSetup
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
  bool UninstallOEMInf(const std::string& infFileName, uint32_t flags) override;
  bool QuerySourceList(uint32_t flags, platform::SourceList* list) override;
  bool SetSourceList(uint32_t flags, const std::vector<std::string>& entries) override;
  bool FreeSourceList(platform::SourceList* list) override;
  uint32_t LocateRootDevNode(uint32_t flags, uint32_t* devInst) override;
  uint32_t ReenumerateDevNode(uint32_t devInst, uint32_t flags) override;
  uint32_t MixerGetNumDevs() override;

  // The device tree and the source list as they would survive a power cut.
  struct State {
    std::vector<FakeDevice> devices;
    std::vector<std::string> sourceList;
    int nextOem = 1;
  };
  State SaveState() const { return {m_devices, sourceList, m_nextOem}; }
  void RestoreState(const State& state) {
    m_devices = state.devices;
    sourceList = state.sourceList;
    m_nextOem = state.nextOem;
  }

 private:
  FakeDevice* DeviceOf(platform::DevInfoSet set, const platform::DevInfoData& data);

  FakeFileSystem& m_files;
  Journal& m_journal;
  LastError& m_lastError;
  std::vector<FakeDevice> m_devices;
  std::vector<std::string> m_removed;
  std::map<platform::DevInfoSet, std::vector<size_t>> m_sets;  // device indices per set
  platform::DevInfoSet m_nextSet = 0x500;
  int m_nextOem = 1;
};

}  // namespace fake
