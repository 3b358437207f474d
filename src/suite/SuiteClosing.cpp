#include "suite/SuiteClosing.h"

#include <string>

#include "common/RegistryKey.h"
#include "common/SharedNames.h"
#include "common/WindowClosing.h"
#include "platform/WinApi.h"
#include "suite/SuiteTexts.h"

namespace {

constexpr uint32_t kClosePause = 500;
constexpr uint32_t kUninstallBufferSize = MAX_PATH;

// Closes the first top-level window with this title; true when there was one.
bool CloseWindowTitled(platform::Desktop& desktop, const char* title) {
  platform::Hwnd window = desktop.FindTopLevelWindow(title);
  if (!window) return false;
  AskWindowToClose(desktop, window);
  return true;
}

// Reads the uninstall command from the first uninstall key that opens.
bool ReadUninstallCommand(platform::Registry& registry, std::string* command) {
  RegistryKey key(registry);
  if (!key.Open(platform::Hive::LocalMachine, suite::kUninstallKeyNine, KEY_QUERY_VALUE) &&
      !key.Open(platform::Hive::LocalMachine, suite::kUninstallKeyNt, KEY_QUERY_VALUE)) {
    return false;
  }
  return key.ReadText("InstallShieldUninstallString", kUninstallBufferSize, command) ||
         key.ReadText("UninstallString", kUninstallBufferSize, command);
}

}  // namespace

void CloseSuitePrograms(platform::Platform& platform, bool closeMixer) {
  if (CloseWindowTitled(platform.desktop, "TuneStack")) {
    platform.clock.Sleep(kClosePause);
  } else {
    for (const char* player : {"CD Player", "MIDI Player", "MP3 Player"}) {
      CloseWindowTitled(platform.desktop, player);
    }
  }
  if (closeMixer) CloseWindowTitled(platform.desktop, shared::kMixerWindowTitle);
  platform.clock.Sleep(kClosePause);
}

void UninstallPreviousSuite(platform::Platform& platform) {
  std::string command;
  if (!ReadUninstallCommand(platform.registry, &command)) return;
  command += " -a";

  platform::CursorHandle previous = platform.desktop.ShowWaitCursor();
  platform::StartedProcess uninstaller;
  if (platform.processes.CreateProcess(command, SW_SHOW, &uninstaller)) {
    uint32_t exitCode = 0;
    do {
      platform.processes.WaitForInputIdle(uninstaller.process, 1000);
      if (!platform.processes.GetExitCodeProcess(uninstaller.process, &exitCode)) break;
    } while (exitCode == STILL_ACTIVE);
  }
  platform.desktop.RestoreCursor(previous);
}

void DeleteSuiteLogonEntry(platform::Registry& registry) {
  DeleteRunValue(registry, shared::kSuiteRunValue);
}
