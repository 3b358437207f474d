#include "platform/win32/Win32DeviceSetup.h"

#include <cstring>

#include "platform/win32/Win32Windows.h"

namespace platform {

namespace {

using GetClassDevsFn = HDEVINFO(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
using EnumDeviceInfoFn = BOOL(WINAPI*)(HDEVINFO, DWORD, SP_DEVINFO_DATA*);
using GetDeviceRegistryPropertyFn = BOOL(WINAPI*)(HDEVINFO, SP_DEVINFO_DATA*, DWORD, DWORD*, BYTE*,
                                                  DWORD, DWORD*);
using RemoveDeviceFn = BOOL(WINAPI*)(HDEVINFO, SP_DEVINFO_DATA*);
using DestroyDeviceInfoListFn = BOOL(WINAPI*)(HDEVINFO);
using CopyOEMInfFn = BOOL(WINAPI*)(PCSTR, PCSTR, DWORD, DWORD, PSTR, DWORD, DWORD*, PSTR*);
using UninstallOEMInfFn = BOOL(WINAPI*)(PCSTR, DWORD, PVOID);
using QuerySourceListFn = BOOL(WINAPI*)(DWORD, PCSTR**, UINT*);
using SetSourceListFn = BOOL(WINAPI*)(DWORD, PCSTR*, UINT);
using FreeSourceListFn = BOOL(WINAPI*)(PCSTR**, UINT);
using LocateDevNodeFn = CONFIGRET(WINAPI*)(DEVINST*, DEVINSTID_A, ULONG);
using ReenumerateDevNodeFn = CONFIGRET(WINAPI*)(DEVINST, ULONG);
using MixerGetNumDevsFn = UINT(WINAPI*)();

HDEVINFO ToHdevinfo(DevInfoSet set) { return reinterpret_cast<HDEVINFO>(set); }

bool NotImplemented() {
  ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return false;
}

bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

Win32DeviceSetup::Win32DeviceSetup()
    : m_setupApi("setupapi.dll"),
      m_configManager("cfgmgr32.dll"),
      m_multimedia("winmm.dll"),
      m_underWine(RunningUnderWine()) {}

const Win32DeviceSetup::NativeDevice* Win32DeviceSetup::FindDevice(DevInfoSet set,
                                                                   const DevInfoData& data) const {
  auto found = m_devices.find({set, data.index});
  if (found == m_devices.end() || found->second.devInst != data.devInst) return nullptr;
  return &found->second;
}

DevInfoSet Win32DeviceSetup::GetClassDevs(uint32_t flags) {
  auto getClassDevs = m_setupApi.Find<GetClassDevsFn>("SetupDiGetClassDevsA");
  if (getClassDevs == nullptr) {
    NotImplemented();
    return kInvalidDevInfoSet;
  }
  HDEVINFO set = getClassDevs(nullptr, nullptr, nullptr, flags);
  return reinterpret_cast<DevInfoSet>(set);
}

bool Win32DeviceSetup::EnumDeviceInfo(DevInfoSet set, uint32_t index, DevInfoData* data) {
  auto enumDeviceInfo = m_setupApi.Find<EnumDeviceInfoFn>("SetupDiEnumDeviceInfo");
  if (enumDeviceInfo == nullptr) return NotImplemented();
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device);
  if (!enumDeviceInfo(ToHdevinfo(set), index, &device)) return false;
  NativeDevice& kept = m_devices[{set, index}];
  kept.devInst = device.DevInst;
  kept.bytes.assign(reinterpret_cast<const unsigned char*>(&device),
                    reinterpret_cast<const unsigned char*>(&device) + sizeof(device));
  data->index = index;
  data->devInst = device.DevInst;
  return true;
}

// The SP_DEVINFO_DATA kept for a device that EnumDeviceInfo returned for
// this set; any other device is an invalid parameter.
bool Win32DeviceSetup::NativeData(DevInfoSet set, const DevInfoData& data, void* device) const {
  const NativeDevice* kept = FindDevice(set, data);
  if (kept == nullptr) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::memcpy(device, kept->bytes.data(), kept->bytes.size());
  return true;
}

bool Win32DeviceSetup::GetDeviceRegistryProperty(DevInfoSet set, const DevInfoData& data,
                                                 uint32_t property, uint8_t* buffer,
                                                 uint32_t bufferSize, uint32_t* requiredSize) {
  auto getProperty =
      m_setupApi.Find<GetDeviceRegistryPropertyFn>("SetupDiGetDeviceRegistryPropertyA");
  if (getProperty == nullptr) return NotImplemented();
  SP_DEVINFO_DATA device;
  if (!NativeData(set, data, &device)) return false;
  DWORD required = 0;
  BOOL ok = getProperty(ToHdevinfo(set), &device, property, nullptr, buffer, bufferSize, &required);
  if (requiredSize != nullptr) *requiredSize = required;
  return ok != FALSE;
}

bool Win32DeviceSetup::RemoveDevice(DevInfoSet set, const DevInfoData& data) {
  auto removeDevice = m_setupApi.Find<RemoveDeviceFn>("SetupDiRemoveDevice");
  if (removeDevice == nullptr) return NotImplemented();
  SP_DEVINFO_DATA device;
  if (!NativeData(set, data, &device)) return false;
  return removeDevice(ToHdevinfo(set), &device) != FALSE;
}

bool Win32DeviceSetup::DestroyDeviceInfoList(DevInfoSet set) {
  auto destroy = m_setupApi.Find<DestroyDeviceInfoListFn>("SetupDiDestroyDeviceInfoList");
  if (destroy == nullptr) return NotImplemented();
  // Forget the set's devices first: the API call's last-error code is left as
  // it sets it.
  for (auto it = m_devices.lower_bound({set, 0});
       it != m_devices.end() && it->first.first == set;) {
    it = m_devices.erase(it);
  }
  return destroy(ToHdevinfo(set)) != FALSE;
}

bool Win32DeviceSetup::CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                                  uint32_t mediaType, uint32_t copyStyle) {
  auto copyOemInf = m_setupApi.Find<CopyOEMInfFn>("SetupCopyOEMInfA");
  if (copyOemInf == nullptr) return NotImplemented();
  return copyOemInf(sourceInf.c_str(), mediaLocation.c_str(), mediaType, copyStyle, nullptr, 0,
                    nullptr, nullptr) != FALSE;
}

bool Win32DeviceSetup::UninstallOEMInf(const std::string& infFileName, uint32_t flags) {
  auto uninstall = m_setupApi.Find<UninstallOEMInfFn>("SetupUninstallOEMInfA");
  if (uninstall == nullptr) return NotImplemented();
  return uninstall(infFileName.c_str(), flags, nullptr) != FALSE;
}

bool Win32DeviceSetup::QuerySourceList(uint32_t flags, SourceList* list) {
  list->entries.clear();
  // Wine's SetupQuerySourceListA is a stub that ends the calling process.
  if (m_underWine) return NotImplemented();
  auto query = m_setupApi.Find<QuerySourceListFn>("SetupQuerySourceListA");
  if (query == nullptr) return NotImplemented();
  PCSTR* native = nullptr;
  UINT count = 0;
  if (!query(flags, &native, &count)) return false;
  m_queriedList = native;
  m_queriedCount = count;
  for (UINT i = 0; i < count && native != nullptr; ++i) {
    list->entries.emplace_back(native[i] != nullptr ? native[i] : "");
  }
  return true;
}

bool Win32DeviceSetup::SetSourceList(uint32_t flags, const std::vector<std::string>& entries) {
  auto setList = m_setupApi.Find<SetSourceListFn>("SetupSetSourceListA");
  if (setList == nullptr) return NotImplemented();
  std::vector<PCSTR> table;
  table.reserve(entries.size());
  for (const std::string& entry : entries) table.push_back(entry.c_str());
  return setList(flags, table.data(), static_cast<UINT>(table.size())) != FALSE;
}

bool Win32DeviceSetup::FreeSourceList(SourceList* list) {
  // Wine's SetupFreeSourceListA is a stub that ends the calling process.
  if (m_underWine || m_queriedList == nullptr) return false;
  auto freeList = m_setupApi.Find<FreeSourceListFn>("SetupFreeSourceListA");
  if (freeList == nullptr) return NotImplemented();
  PCSTR* native = static_cast<PCSTR*>(m_queriedList);
  BOOL ok = freeList(&native, m_queriedCount);
  m_queriedList = nullptr;
  m_queriedCount = 0;
  list->entries.clear();
  return ok != FALSE;
}

uint32_t Win32DeviceSetup::LocateRootDevNode(uint32_t flags, uint32_t* devInst) {
  auto locate = m_configManager.Find<LocateDevNodeFn>("CM_Locate_DevNodeA");
  if (locate == nullptr) {
    NotImplemented();
    return CR_FAILURE;
  }
  DEVINST found = 0;
  CONFIGRET result = locate(&found, nullptr, flags);
  if (result == CR_SUCCESS) *devInst = found;
  return result;
}

uint32_t Win32DeviceSetup::ReenumerateDevNode(uint32_t devInst, uint32_t flags) {
  auto reenumerate = m_configManager.Find<ReenumerateDevNodeFn>("CM_Reenumerate_DevNode");
  if (reenumerate == nullptr) {
    NotImplemented();
    return CR_FAILURE;
  }
  return reenumerate(devInst, flags);
}

uint32_t Win32DeviceSetup::MixerGetNumDevs() {
  auto getNumDevs = m_multimedia.Find<MixerGetNumDevsFn>("mixerGetNumDevs");
  if (getNumDevs == nullptr) {
    NotImplemented();
    return 0;
  }
  return getNumDevs();
}

}  // namespace platform
