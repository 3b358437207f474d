#include "app/MixerReplacement.h"

#include <string>

#include "common/ExitCodes.h"
#include "common/Paths.h"
#include "common/RegistryKey.h"
#include "common/SharedNames.h"
#include "common/WindowClosing.h"
#include "platform/WinApi.h"

namespace {

constexpr int kFurtherLooks = 100;
constexpr uint32_t kPause = 1000;

// The mixer may still be starting at logon: looks for its window for about
// 100 seconds and closes it when it shows up.
void CloseRunningMixer(platform::Platform& platform) {
  platform::Hwnd window = platform.desktop.FindTopLevelWindow(shared::kMixerWindowTitle);
  for (int looks = 0; !window && looks < kFurtherLooks; ++looks) {
    window = platform.desktop.FindTopLevelWindow(shared::kMixerWindowTitle);
    platform.clock.Sleep(kPause);
  }
  if (!window) return;
  AskWindowToClose(platform.desktop, window);
  platform.clock.Sleep(kPause);
}

}  // namespace

std::optional<int> RunMixerReplacement(platform::Platform& platform) {
  // Disarmed first, so that the replacement runs once per arming. A logon
  // without the rights for it (a limited user, or any logon on Windows Vista
  // and later, where logon entries start without administrator rights) ends
  // here, quietly: the entry stays for an administrator's logon.
  const uint32_t disarmed = DeleteRunValue(platform.registry, shared::kMixerReplacementValue);
  if (disarmed == ERROR_ACCESS_DENIED) return static_cast<int>(disarmed);
  if (disarmed != ERROR_SUCCESS) return std::nullopt;
  CloseRunningMixer(platform);

  const std::string windowsDirectory = WindowsDirectoryWithBackslash(platform);
  const std::string newMixer = windowsDirectory + shared::kNewMixerFile;
  const std::string mixer = windowsDirectory + shared::kMixerFile;
  if (!FileIsPresent(platform.files, newMixer)) return std::nullopt;

  // Put in place in one step rather than copied over it or after deleting
  // it: a failed copy or a power cut leaves the old mixer whole. "Mixer.dat"
  // stays.
  const int exitCode = CopyOverWhole(platform, newMixer, mixer)
                           ? exit_code::kSuccess
                           : static_cast<int>(platform.system.GetLastError());

  platform::StartedProcess started;
  platform.processes.CreateProcess(PathInQuotes(mixer) + " /startup", SW_HIDE, &started);
  return exitCode;
}
