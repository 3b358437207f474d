// WinMain: makes DLL loading safe, builds the Win32 platform, reads the
// command line and runs the program on the platform, with the diagnostic log
// when /LOG= or W2KSETUP_LOG names a file.
#include "app/CommandSwitches.h"
#include "app/SetupMain.h"
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

  const RunSwitches switches = ReadCommandLine(services, processes.GetCommandLine());
  // "/LOG=<file>" on an extended command line wins over W2KSETUP_LOG.
  std::unique_ptr<LogFile> logFile =
      switches.logFile.empty() ? LogFile::OpenFromEnvironment() : LogFile::Open(switches.logFile);
  return RunSetupProgram(platform, switches, logFile.get());
}
