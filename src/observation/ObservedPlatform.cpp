#include "observation/ObservedPlatform.h"

#include "observation/Forwarding.h"

namespace observation {

namespace {

using namespace platform;
using enum Effect;
using enum Failure;

class ObservedRegistry final : public Registry, Forwarder<Registry> {
 public:
  using Forwarder::Forwarder;
  uint32_t OpenKey(Hive hive, const std::string& subKey, uint32_t access, RegKey* key) override {
    return Forward({"OpenKey", Open, ErrorCode}, &Registry::OpenKey, hive, subKey, access, key);
  }
  uint32_t CreateKey(Hive hive, const std::string& subKey, uint32_t access, RegKey* key) override {
    return Forward({"CreateKey", Change, ErrorCode}, &Registry::CreateKey, hive, subKey, access,
                   key);
  }
  uint32_t DeleteKey(Hive hive, const std::string& subKey) override {
    return Forward({"DeleteKey", Change, ErrorCode}, &Registry::DeleteKey, hive, subKey);
  }
  uint32_t QueryValue(RegKey key, const std::string& name, uint32_t bufferSize, std::string* data,
                      uint32_t* type) override {
    return Forward({"QueryValue", Lookup, ErrorCode}, &Registry::QueryValue, key, name, bufferSize,
                   data, type);
  }
  uint32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                    const std::string& data) override {
    return Forward({"SetValue", Change, ErrorCode}, &Registry::SetValue, key, name, type, data);
  }
  uint32_t DeleteValue(RegKey key, const std::string& name) override {
    return Forward({"DeleteValue", Change, ErrorCode}, &Registry::DeleteValue, key, name);
  }
  void CloseKey(RegKey key) override { Forward({"CloseKey", Query}, &Registry::CloseKey, key); }
};

class ObservedProfileFiles final : public ProfileFiles, Forwarder<ProfileFiles> {
 public:
  using Forwarder::Forwarder;
  uint32_t GetInt(const std::string& section, const std::string& key, int defaultValue,
                  const std::string& file) override {
    return Forward({"GetInt", Query, Never}, &ProfileFiles::GetInt, section, key, defaultValue,
                   file);
  }
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue, uint32_t bufferSize,
                        const std::string& file) override {
    return Forward({"GetString", Query, Never}, &ProfileFiles::GetString, section, key,
                   defaultValue, bufferSize, file);
  }
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override {
    return Forward({"WriteString", Change}, &ProfileFiles::WriteString, section, key, value, file);
  }
};

// Its calls name the path the stream was opened with; it closes with it.
class ObservedStream final : public Stream, Forwarder<Stream> {
 public:
  ObservedStream(std::unique_ptr<Stream> inner, CallObserver& observer, System& system,
                 const std::string& path)
      : Forwarder("Stream", *inner, observer, system, path), m_owned(std::move(inner)) {}
  bool GetLine(std::string* line, int bufferSize) override {
    return Forward({"GetLine", Query}, &Stream::GetLine, line, bufferSize);
  }
  long Tell() override { return Forward({"Tell", Query, Never}, &Stream::Tell); }
  bool Seek(long offset, int origin) override {
    return Forward({"Seek", Query}, &Stream::Seek, offset, origin);
  }
  bool PutChar(char c) override { return Forward({"PutChar", Change}, &Stream::PutChar, c); }
  bool Flush() override { return Forward({"Flush", Change}, &Stream::Flush); }

 private:
  std::unique_ptr<Stream> m_owned;
};

class ObservedFileSystem final : public FileSystem, Forwarder<FileSystem> {
 public:
  using Forwarder::Forwarder;
  std::string GetWindowsDirectory(uint32_t bufferSize) override {
    return Forward({"GetWindowsDirectory", Lookup}, &FileSystem::GetWindowsDirectory, bufferSize);
  }
  std::string GetCurrentDirectory() override {
    return Forward({"GetCurrentDirectory", Lookup}, &FileSystem::GetCurrentDirectory);
  }
  bool SetCurrentDirectory(const std::string& path) override {
    return Forward({"SetCurrentDirectory", Act}, &FileSystem::SetCurrentDirectory, path);
  }
  bool CreateDirectory(const std::string& path) override {
    return Forward({"CreateDirectory", Change}, &FileSystem::CreateDirectory, path);
  }
  bool RemoveDirectory(const std::string& path) override {
    return Forward({"RemoveDirectory", Change}, &FileSystem::RemoveDirectory, path);
  }
  FindHandle FindFirstFile(const std::string& pattern, FindData* data) override {
    return Forward({"FindFirstFile", Lookup}, &FileSystem::FindFirstFile, pattern, data);
  }
  bool FindNextFile(FindHandle handle, FindData* data) override {
    return Forward({"FindNextFile", Query}, &FileSystem::FindNextFile, handle, data);
  }
  void FindClose(FindHandle handle) override {
    Forward({"FindClose", Query}, &FileSystem::FindClose, handle);
  }
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    return Forward({"CopyFile", Change}, &FileSystem::CopyFile, from, to, failIfExists);
  }
  bool MoveFileReplacing(const std::string& from, const std::string& to) override {
    return Forward({"MoveFileReplacing", Change}, &FileSystem::MoveFileReplacing, from, to);
  }
  bool MoveFileAtRestart(const std::string& from, const std::string& to) override {
    return Forward({"MoveFileAtRestart", Change}, &FileSystem::MoveFileAtRestart, from, to);
  }
  bool DeleteFileAtRestart(const std::string& path) override {
    return Forward({"DeleteFileAtRestart", Change}, &FileSystem::DeleteFileAtRestart, path);
  }
  bool DeleteFile(const std::string& path) override {
    return Forward({"DeleteFile", Change}, &FileSystem::DeleteFile, path);
  }
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override {
    return Forward({"SetFileAttributes", Change}, &FileSystem::SetFileAttributes, path, attributes);
  }
  // The stream comes back observed too.
  std::unique_ptr<Stream> OpenStream(const std::string& path, const std::string& mode) override {
    std::unique_ptr<Stream> opened =
        Forward({"OpenStream", Lookup}, &FileSystem::OpenStream, path, mode);
    if (opened == nullptr) return nullptr;
    return std::make_unique<ObservedStream>(std::move(opened), m_observer, m_system, path);
  }
};

class ObservedDesktop final : public Desktop, Forwarder<Desktop> {
 public:
  using Forwarder::Forwarder;
  Hwnd FindTopLevelWindow(const std::string& title) override {
    return Forward({"FindTopLevelWindow", Lookup, NotFound}, &Desktop::FindTopLevelWindow, title);
  }
  intptr_t SendMessage(Hwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    return Forward({"SendMessage", Screen, Never}, &Desktop::SendMessage, window, message, wParam,
                   lParam);
  }
  bool SendMessageTimeout(Hwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                          uint32_t flags, uint32_t timeout, uintptr_t* result) override {
    return Forward({"SendMessageTimeout", Act}, &Desktop::SendMessageTimeout, window, message,
                   wParam, lParam, flags, timeout, result);
  }
  bool ShowWindow(Hwnd window, int command) override {
    return Forward({"ShowWindow", Screen, Never}, &Desktop::ShowWindow, window, command);
  }
  bool EnableWindow(Hwnd window, bool enable) override {
    return Forward({"EnableWindow", Screen, Never}, &Desktop::EnableWindow, window, enable);
  }
  bool IsIconic(Hwnd window) override {
    return Forward({"IsIconic", Query, Never}, &Desktop::IsIconic, window);
  }
  bool RedrawWindow(Hwnd window, uint32_t flags) override {
    return Forward({"RedrawWindow", Screen}, &Desktop::RedrawWindow, window, flags);
  }
  bool GetClientRect(Hwnd window, Rect* rect) override {
    return Forward({"GetClientRect", Query}, &Desktop::GetClientRect, window, rect);
  }
  int GetSystemMetrics(int index) override {
    return Forward({"GetSystemMetrics", Query, Never}, &Desktop::GetSystemMetrics, index);
  }
  intptr_t RunModalDialog(int templateId, Hwnd parent, DialogProcedure* procedure) override {
    return Forward({"RunModalDialog", Act, MinusOne}, &Desktop::RunModalDialog, templateId, parent,
                   procedure);
  }
  bool EndDialog(Hwnd dialog, intptr_t result) override {
    return Forward({"EndDialog", Screen}, &Desktop::EndDialog, dialog, result);
  }
  Hwnd GetDlgItem(Hwnd dialog, int controlId) override {
    return Forward({"GetDlgItem", Lookup}, &Desktop::GetDlgItem, dialog, controlId);
  }
  intptr_t DefaultProcessing(Hwnd window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) override {
    return Forward({"DefaultProcessing", Screen, Never}, &Desktop::DefaultProcessing, window,
                   message, wParam, lParam);
  }
  MenuHandle GetSystemMenu(Hwnd window) override {
    return Forward({"GetSystemMenu", Query}, &Desktop::GetSystemMenu, window);
  }
  bool AppendMenu(MenuHandle menu, uint32_t flags, uintptr_t id, const std::string& text) override {
    return Forward({"AppendMenu", Screen}, &Desktop::AppendMenu, menu, flags, id, text);
  }
  std::string LoadString(int id) override {
    return Forward({"LoadString", Query}, &Desktop::LoadString, id);
  }
  IconHandle LoadIcon(int id) override {
    return Forward({"LoadIcon", Lookup}, &Desktop::LoadIcon, id);
  }
  void PaintIconic(Hwnd window, IconHandle icon, int x, int y) override {
    Forward({"PaintIconic", Screen}, &Desktop::PaintIconic, window, icon, x, y);
  }
  int MessageBox(Hwnd owner, const std::string& text, const std::string& caption,
                 uint32_t type) override {
    return Forward({"MessageBox", Act}, &Desktop::MessageBox, owner, text, caption, type);
  }
  CursorHandle ShowWaitCursor() override {
    return Forward({"ShowWaitCursor", Screen, Never}, &Desktop::ShowWaitCursor);
  }
  void RestoreCursor(CursorHandle previous) override {
    Forward({"RestoreCursor", Screen}, &Desktop::RestoreCursor, previous);
  }
  void EnableThreeDControls() override {
    Forward({"EnableThreeDControls", Screen}, &Desktop::EnableThreeDControls);
  }
};

class ObservedProcesses final : public Processes, Forwarder<Processes> {
 public:
  using Forwarder::Forwarder;
  std::string GetCommandLine() override {
    return Forward({"GetCommandLine", Query, Never}, &Processes::GetCommandLine);
  }
  bool CreateProcess(const std::string& commandLine, int showWindow,
                     StartedProcess* started) override {
    return Forward({"CreateProcess", Act}, &Processes::CreateProcess, commandLine, showWindow,
                   started);
  }
  uint32_t WinExec(const std::string& commandLine, int showWindow) override {
    return Forward({"WinExec", Act, Below32}, &Processes::WinExec, commandLine, showWindow);
  }
  uint32_t WaitForInputIdle(ProcessHandle process, uint32_t milliseconds) override {
    return Forward({"WaitForInputIdle", Query, AllOnes}, &Processes::WaitForInputIdle, process,
                   milliseconds);
  }
  bool GetExitCodeProcess(ProcessHandle process, uint32_t* exitCode) override {
    return Forward({"GetExitCodeProcess", Lookup}, &Processes::GetExitCodeProcess, process,
                   exitCode);
  }
  [[noreturn]] void Exit(int exitCode) override {
    ForwardEnd({"Exit", End}, &Processes::Exit, exitCode);
  }
  MutexHandle CreateNamedMutex(const std::string& name) override {
    return Forward({"CreateNamedMutex", Open}, &Processes::CreateNamedMutex, name);
  }
};

class ObservedDeviceSetup final : public DeviceSetup, Forwarder<DeviceSetup> {
 public:
  using Forwarder::Forwarder;
  DevInfoSet GetClassDevs(uint32_t flags) override {
    return Forward({"GetClassDevs", Open, AllOnes}, &DeviceSetup::GetClassDevs, flags);
  }
  bool EnumDeviceInfo(DevInfoSet set, uint32_t index, DevInfoData* data) override {
    return Forward({"EnumDeviceInfo", Query}, &DeviceSetup::EnumDeviceInfo, set, index, data);
  }
  bool GetDeviceRegistryProperty(DevInfoSet set, const DevInfoData& data, uint32_t property,
                                 uint8_t* buffer, uint32_t bufferSize,
                                 uint32_t* requiredSize) override {
    return Forward({"GetDeviceRegistryProperty", Query}, &DeviceSetup::GetDeviceRegistryProperty,
                   set, data, property, buffer, bufferSize, requiredSize);
  }
  bool RemoveDevice(DevInfoSet set, const DevInfoData& data) override {
    return Forward({"RemoveDevice", Change}, &DeviceSetup::RemoveDevice, set, data);
  }
  bool DestroyDeviceInfoList(DevInfoSet set) override {
    return Forward({"DestroyDeviceInfoList", Query}, &DeviceSetup::DestroyDeviceInfoList, set);
  }
  bool CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                  uint32_t mediaType, uint32_t copyStyle) override {
    return Forward({"CopyOEMInf", Change}, &DeviceSetup::CopyOEMInf, sourceInf, mediaLocation,
                   mediaType, copyStyle);
  }
  bool UninstallOEMInf(const std::string& infFileName, uint32_t flags) override {
    return Forward({"UninstallOEMInf", Change}, &DeviceSetup::UninstallOEMInf, infFileName, flags);
  }
  bool QuerySourceList(uint32_t flags, SourceList* list) override {
    return Forward({"QuerySourceList", Lookup}, &DeviceSetup::QuerySourceList, flags, list);
  }
  bool SetSourceList(uint32_t flags, const std::vector<std::string>& entries) override {
    return Forward({"SetSourceList", Change}, &DeviceSetup::SetSourceList, flags, entries);
  }
  bool FreeSourceList(SourceList* list) override {
    return Forward({"FreeSourceList", Query}, &DeviceSetup::FreeSourceList, list);
  }
  uint32_t LocateRootDevNode(uint32_t flags, uint32_t* devInst) override {
    return Forward({"LocateRootDevNode", Lookup, ErrorCode}, &DeviceSetup::LocateRootDevNode, flags,
                   devInst);
  }
  uint32_t ReenumerateDevNode(uint32_t devInst, uint32_t flags) override {
    return Forward({"ReenumerateDevNode", Act, ErrorCode}, &DeviceSetup::ReenumerateDevNode,
                   devInst, flags);
  }
  uint32_t MixerGetNumDevs() override {
    return Forward({"MixerGetNumDevs", Query, Never}, &DeviceSetup::MixerGetNumDevs);
  }
};

class ObservedClock final : public Clock, Forwarder<Clock> {
 public:
  using Forwarder::Forwarder;
  void Sleep(uint32_t milliseconds) override {
    Forward({"Sleep", Query}, &Clock::Sleep, milliseconds);
  }
  uint32_t GetTickCount() override {
    return Forward({"GetTickCount", Query, Never}, &Clock::GetTickCount);
  }
};

class ObservedSystem final : public System, Forwarder<System> {
 public:
  using Forwarder::Forwarder;
  OsVersion GetVersion() override { return Forward({"GetVersion", Query}, &System::GetVersion); }
  uint32_t GetLastError() override {
    return Forward({"GetLastError", Query, Never}, &System::GetLastError);
  }
  void SetLastError(uint32_t code) override {
    Forward({"SetLastError", Query}, &System::SetLastError, code);
  }
  std::string FormatMessage(uint32_t error) override {
    return Forward({"FormatMessage", Query, Never}, &System::FormatMessage, error);
  }
  bool IsDBCSLeadByte(uint8_t byte) override {
    return Forward({"IsDBCSLeadByte", Query, Never}, &System::IsDBCSLeadByte, byte);
  }
  void OutputDebugString(const std::string& text) override {
    Forward({"OutputDebugString", Note, Never}, &System::OutputDebugString, text);
  }
};

class ObservedSecurity final : public Security, Forwarder<Security> {
 public:
  using Forwarder::Forwarder;
  bool OpenProcessTokenForAdjust(TokenHandle* token) override {
    return Forward({"OpenProcessTokenForAdjust", Open}, &Security::OpenProcessTokenForAdjust,
                   token);
  }
  bool LookupPrivilegeValue(const std::string& name, Luid* luid) override {
    return Forward({"LookupPrivilegeValue", Lookup}, &Security::LookupPrivilegeValue, name, luid);
  }
  bool EnableTokenPrivilege(TokenHandle token, const Luid& luid) override {
    return Forward({"EnableTokenPrivilege", Act}, &Security::EnableTokenPrivilege, token, luid);
  }
  void CloseHandle(TokenHandle token) override {
    Forward({"CloseHandle", Query}, &Security::CloseHandle, token);
  }
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override {
    return Forward({"ExitWindowsEx", Act}, &Security::ExitWindowsEx, flags, reserved);
  }
};

}  // namespace

struct ObservedPlatform::Interfaces {
  Interfaces(Platform& inner, CallObserver& observer)
      : registry("Registry", inner.registry, observer, inner.system),
        profiles("ProfileFiles", inner.profiles, observer, inner.system),
        files("FileSystem", inner.files, observer, inner.system),
        desktop("Desktop", inner.desktop, observer, inner.system),
        processes("Processes", inner.processes, observer, inner.system),
        devices("DeviceSetup", inner.devices, observer, inner.system),
        clock("Clock", inner.clock, observer, inner.system),
        system("System", inner.system, observer, inner.system),
        security("Security", inner.security, observer, inner.system) {}

  ObservedRegistry registry;
  ObservedProfileFiles profiles;
  ObservedFileSystem files;
  ObservedDesktop desktop;
  ObservedProcesses processes;
  ObservedDeviceSetup devices;
  ObservedClock clock;
  ObservedSystem system;
  ObservedSecurity security;
};

ObservedPlatform::ObservedPlatform(platform::Platform& inner, CallObserver& observer)
    : m_interfaces(std::make_unique<Interfaces>(inner, observer)),
      m_platform{m_interfaces->registry, m_interfaces->profiles,  m_interfaces->files,
                 m_interfaces->desktop,  m_interfaces->processes, m_interfaces->devices,
                 m_interfaces->clock,    m_interfaces->system,    m_interfaces->security} {}

ObservedPlatform::~ObservedPlatform() = default;

}  // namespace observation
