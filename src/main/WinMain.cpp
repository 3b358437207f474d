// WinMain: makes DLL loading safe, builds the Win32 platform and runs the
// program on it, through the diagnostic log when W2KSETUP_LOG names a file.
#include "app/SetupMain.h"
#include "diagnostics/LoggedPlatform.h"
#include "main/LogFile.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32DeviceSetup.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32ProfileFiles.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SystemServices.h"
#include "platform/win32/Win32Windows.h"

namespace {

constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);

// Keeps DLLs that are loaded later (uxtheme.dll among them) from being taken
// from the program's folder, which for a download is often a shared one:
// only the system folder is searched. Without SetDefaultDllDirectories
// (before Windows 7 with update 2533623), SetDllDirectoryA("") at least takes
// the current folder out of the search. Both are looked up by name because
// older Windows versions lack them.
void RestrictDllSearchPath() {
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return;
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(kLoadLibrarySearchSystem32)) return;
  auto setDllDirectory = reinterpret_cast<SetDllDirectoryFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "SetDllDirectoryA")));
  if (setDllDirectory != nullptr) setDllDirectory("");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearchPath();

  platform::Win32Registry registry;
  platform::Win32ProfileFiles profiles;
  platform::Win32FileSystem files;
  platform::Win32Desktop desktop;
  platform::Win32Processes processes;
  platform::Win32DeviceSetup devices;
  platform::Win32SystemServices services;
  platform::Platform platform{registry, profiles, files,    desktop, processes,
                              devices,  services, services, services};

  // "/LOG=<file>" on an extended command line wins over W2KSETUP_LOG.
  const std::string logSwitch = LogFileSwitch(services, processes.GetCommandLine());
  std::unique_ptr<LogFile> logFile =
      logSwitch.empty() ? LogFile::OpenFromEnvironment() : LogFile::Open(logSwitch);
  if (logFile == nullptr) return RunSetupProgram(platform);
  diagnostics::LoggedPlatform logged(platform, *logFile);
  logged.Start();
  const int exitCode = RunSetupProgram(logged.platform(),
                                       [&logged](const std::string& line) { logged.Write(line); });
  logged.End(exitCode);
  return exitCode;
}
