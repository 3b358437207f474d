#include "driver/InstallDriverPackage.h"

#include <optional>
#include <string>

#include "cleanup/RemoveLegacyDriverFiles.h"
#include "common/ExitCodes.h"
#include "common/Paths.h"
#include "common/SharedNames.h"
#include "common/WindowClosing.h"
#include "driver/DriverStaging.h"
#include "driver/FindAndRemoveDevice.h"
#include "driver/RemovalEntry.h"
#include "platform/WinApi.h"
#include "res/resource.h"
#include "suite/SuiteClosing.h"

namespace {

constexpr const char* kNotice =
    "The driver will be installed now. It need a few minutes to complete.";
constexpr const char* kStagedInf = "C:\\Program Files\\Quarnex\\WIN_ME\\QXAUDIO.INF";
constexpr const char* kMediaLocation = "C:\\Program Files\\Quarnex\\WIN_ME";
constexpr uint32_t kSourceListFlags = SRCLIST_SYSTEM | SRCLIST_USER;
constexpr int kMixerPolls = 10;
constexpr uint32_t kMixerPollPause = 3000;
constexpr uint32_t kPauseBeforeRestartPrompt = 5000;
constexpr uint32_t kDriverVerBufferSize = 64;

// The wait cursor, from when it goes up until the installation returns,
// whichever way it returns.
class WaitCursor {
 public:
  explicit WaitCursor(platform::Desktop& desktop) : m_desktop(desktop) {}
  ~WaitCursor() {
    if (m_shown) m_desktop.RestoreCursor(m_previous);
  }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  void Show() {
    m_previous = m_desktop.ShowWaitCursor();
    m_shown = true;
  }

 private:
  platform::Desktop& m_desktop;
  platform::CursorHandle m_previous = 0;
  bool m_shown = false;
};

platform::Hwnd MessageOwner(const DriverInstallOptions& options, platform::Hwnd owner) {
  return options.noticeOwner == NoticeOwner::CallingDialog ? owner : 0;
}

// Tells the user that the installation starts; the options dialog then steps
// out of the way for good.
void ShowNotice(platform::Platform& platform, const DriverInstallOptions& options,
                platform::Hwnd owner) {
  platform.desktop.MessageBox(MessageOwner(options, owner), kNotice, shared::kMessageCaption,
                              MB_OK);
  if (options.hideOwner && owner) platform.desktop.ShowWindow(owner, SW_HIDE);
}

// Programs that hold the old driver open are asked to close.
void CloseRunningPrograms(platform::Platform& platform, WindowsToClose windows) {
  switch (windows) {
    case WindowsToClose::None:
      break;
    case WindowsToClose::Mixer:
      if (platform::Hwnd mixer = platform.desktop.FindTopLevelWindow(shared::kMixerWindowTitle)) {
        AskWindowToClose(platform.desktop, mixer);
      }
      break;
    case WindowsToClose::SuitePrograms:
      CloseSuitePrograms(platform, true);
      break;
  }
}

// The mixer program reads "Initialize" at start; an absent file stays absent.
void WriteMixerDefaults(platform::Platform& platform) {
  std::string mixerDefaults;
  if (!JoinPath(WindowsDirectoryWithBackslash(platform), "mixerdef.ini", &mixerDefaults) ||
      !FileIsPresent(platform.files, mixerDefaults)) {
    return;
  }
  platform.profiles.WriteString("RUNTIME", "Initialize", "0", mixerDefaults);
}

// "INF\OTHER\" becomes the current directory when it exists.
void EnterOtherInfFolder(platform::Platform& platform) {
  std::string otherInfFolder;
  if (JoinPath(WindowsDirectoryWithBackslash(platform), "INF\\OTHER\\", &otherInfFolder)) {
    platform.files.SetCurrentDirectory(otherInfFolder);
  }
}

void CreateInstallationFolders(platform::FileSystem& files, bool withDosFolders) {
  files.CreateDirectory(driver::kProgramFilesFolder);
  files.CreateDirectory(shared::kMakerFolder);
  if (!withDosFolders) return;
  files.CreateDirectory(driver::kDosFolder);
  files.CreateDirectory(driver::kDosAppFolder);
}

void StageDosFiles(platform::FileSystem& files, const std::string& programDirectory) {
  std::string dosDrivers, dosApplications;
  if (!JoinPath(programDirectory, "Dosdrv\\", &dosDrivers)) return;
  driver::CopyFolderFiles(files, dosDrivers, driver::kDosFolder);
  if (!JoinPath(dosDrivers, "DOSAPP\\", &dosApplications)) return;
  driver::CopyFolderFiles(files, dosApplications, driver::kDosAppFolder);
}

// The folder the driver package is read from. On the disc, entering
// "W2K-ME\" selects its "drv\" folder (which stays the current directory).
std::string DriverSourceFolder(platform::FileSystem& files, SourceLayout layout,
                               const std::string& programDirectory) {
  if (layout == SourceLayout::Flat) return programDirectory;
  std::string discFolder, source;
  if (JoinPath(programDirectory, "W2K-ME\\", &discFolder) &&
      files.SetCurrentDirectory(discFolder)) {
    return JoinPath(discFolder, "drv\\", &source) ? source : std::string();
  }
  return JoinPath(programDirectory, "WIN_ME\\drv\\", &source) ? source : std::string();
}

// A staged INF that could not take the caller's choices.
struct UnpatchedInf {
  std::string path;
  uint32_t error = 0;
};

// Copies the driver package into the staging folder; with a patcher, every
// staged file whose name holds ".inf" or ".INF" gets the caller's choices.
// Returns the first staged INF the patcher could not open, if any.
std::optional<UnpatchedInf> StageDriverPackage(platform::Platform& platform,
                                               const std::string& sourceFolder,
                                               InfPatcher* patcher) {
  platform::FileSystem& files = platform.files;
  files.CreateDirectory(driver::kStagingFolder);
  std::optional<UnpatchedInf> unpatched;
  if (sourceFolder.empty()) return unpatched;
  driver::CopyFolderFiles(
      files, sourceFolder, driver::kStagingFolder,
      [&](const std::string& name, const std::string& target) {
        if (!patcher) return;
        if (name.find(".inf") == std::string::npos && name.find(".INF") == std::string::npos) {
          return;
        }
        files.SetFileAttributes(target, FILE_ATTRIBUTE_NORMAL);
        if (!patcher->PatchInfOptions(target) && !unpatched) {
          unpatched = UnpatchedInf{target, platform.system.GetLastError()};
        }
      });
  return unpatched;
}

// Windows rebuilds its driver index from these files; stale ones would keep
// pointing at the earlier driver.
void DeleteDriverIndex(platform::Platform& platform) {
  platform::FileSystem& files = platform.files;
  const std::string windowsDirectory = WindowsDirectoryWithBackslash(platform);
  for (const char* name : {"INF\\Drvdata.bin", "INF\\Drvidx.bin"}) {
    std::string path;
    if (JoinPath(windowsDirectory, name, &path)) DeleteWritable(files, path);
  }
}

// The setup services take the staged INF into the INF folder and delete it
// from the staging folder. False, with *error set, when they refuse it.
bool HandOverInf(platform::Platform& platform, uint32_t* error) {
  if (platform.devices.CopyOEMInf(kStagedInf, kMediaLocation, SPOST_PATH, SP_COPY_DELETESOURCE)) {
    return true;
  }
  *error = platform.system.GetLastError();
  return false;
}

// The text with its "%1" replaced by the number.
std::string WithNumber(std::string text, uint32_t number) {
  const size_t insert = text.find("%1");
  if (insert != std::string::npos) text.replace(insert, 2, std::to_string(number));
  return text;
}

// "The driver could not be installed.", a blank line, what failed when it is
// more than the error says, the system's text for the error, and what to do
// when it was a matter of rights; in the user's language.
void ReportNotInstalled(platform::Platform& platform, const DriverInstallOptions& options,
                        platform::Hwnd owner, uint32_t error, const std::string& what = "") {
  platform::Desktop& desktop = platform.desktop;
  std::string reason = platform.system.FormatMessage(error);
  while (!reason.empty() &&
         (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' ')) {
    reason.pop_back();
  }
  if (reason.empty()) reason = WithNumber(desktop.LoadString(IDS_ERROR_NUMBER), error);
  std::string text = desktop.LoadString(IDS_NOT_INSTALLED) + "\n\n" + what + reason;
  if (error == ERROR_ACCESS_DENIED) text += "\n" + desktop.LoadString(IDS_RUN_AS_ADMINISTRATOR);
  desktop.MessageBox(MessageOwner(options, owner), text, shared::kMessageCaption,
                     MB_OK | MB_ICONERROR);
}

// Adds the staging folder as the last installation source, in a table sized
// for every entry the machine already has. A list that could not be read is
// left alone: setting our entry by itself would wipe the machine's sources.
// True when *sources holds a queried list, to be freed later.
bool AddStagingFolderToSourceList(platform::DeviceSetup& devices, platform::SourceList* sources) {
  if (!devices.QuerySourceList(kSourceListFlags, sources)) return false;
  std::vector<std::string> table = sources->entries;
  table.push_back(driver::kStagingFolder);
  devices.SetSourceList(kSourceListFlags, table);
  return true;
}

void ReenumerateDeviceTree(platform::DeviceSetup& devices) {
  uint32_t root = 0;
  if (devices.LocateRootDevNode(CM_LOCATE_DEVNODE_NORMAL, &root) == CR_SUCCESS) {
    devices.ReenumerateDevNode(root, CM_REENUMERATE_NORMAL);
  }
}

int32_t MixerCount(platform::DeviceSetup& devices) {
  return static_cast<int32_t>(devices.MixerGetNumDevs());
}

// Polls until a new mixer device shows up, at most kMixerPolls times, and
// says how the wait ended: nothing else shows in the log while it lasts.
void WaitForNewMixer(platform::Platform& platform, int32_t baseline) {
  int poll = 0;
  while (poll < kMixerPolls && MixerCount(platform.devices) <= baseline) {
    platform.clock.Sleep(kMixerPollPause);
    ++poll;
  }
  const std::string waited = std::to_string(poll * kMixerPollPause / 1000) + " s";
  platform.system.OutputDebugString(
      "waited for a new mixer device (more than " + std::to_string(baseline) +
      "): " + (poll < kMixerPolls ? "one came after " + waited : "none came within " + waited) +
      "; the restart prompt follows after " + std::to_string(kPauseBeforeRestartPrompt / 1000) +
      " s");
}

bool OfferRestart(platform::Platform& platform, RestartPrompt& restartPrompt) {
  platform.clock.Sleep(kPauseBeforeRestartPrompt);
  return restartPrompt.Offer();
}

}  // namespace

int InstallDriverPackage(platform::Platform& platform, const DriverInstallOptions& options,
                         const std::string& programDirectory, platform::Hwnd owner,
                         RestartPrompt& restartPrompt, InfPatcher* patcher) {
  platform::FileSystem& files = platform.files;
  platform::DeviceSetup& devices = platform.devices;

  ShowNotice(platform, options, owner);
  WaitCursor waitCursor(platform.desktop);
  if (options.waitCursorDuringClosing) waitCursor.Show();
  CloseRunningPrograms(platform, options.windowsToClose);
  if (!options.waitCursorDuringClosing) waitCursor.Show();

  RemoveLegacyDriverFiles(platform);
  if (options.writeMixerDefaults) WriteMixerDefaults(platform);
  EnterOtherInfFolder(platform);
  CreateInstallationFolders(files, options.stageDosFiles);
  if (options.stageDosFiles) StageDosFiles(files, programDirectory);
  const std::string sourceFolder =
      DriverSourceFolder(files, options.sourceLayout, programDirectory);
  if (const std::optional<UnpatchedInf> unpatched =
          StageDriverPackage(platform, sourceFolder, patcher)) {
    // Handed over without the choices, the INF would install the driver with
    // settings the user did not pick. Nothing has been removed yet.
    ReportNotInstalled(
        platform, options, owner, unpatched->error,
        platform.desktop.LoadString(IDS_OPTIONS_NOT_WRITTEN) + "\n" + unpatched->path + "\n");
    return exit_code::OfDriverInstallation(false, unpatched->error, false);
  }
  const driver::MixerStaging mixerStaging =
      options.stageMixerReplacement && !sourceFolder.empty()
          ? driver::StageMixerReplacement(platform, sourceFolder)
          : driver::MixerStaging{};

  // Windows detects the controller again, with the new driver.
  FindControllerDevice(platform, true);
  DeleteDriverIndex(platform);
  // Read before the hand-over takes the staged INF away.
  const std::string driverVersion = driver::DriverVersionOf(
      platform.profiles.GetString("Version", "DriverVer", "", kDriverVerBufferSize, kStagedInf));
  uint32_t handOverError = 0;
  if (!HandOverInf(platform, &handOverError)) {
    // Nothing new to install: the removed device comes back with the driver
    // it had, and nothing puts this run's mixer in place of its mixer.
    ReportNotInstalled(platform, options, owner, handOverError);
    driver::WithdrawMixerReplacement(platform, mixerStaging);
    ReenumerateDeviceTree(devices);
    return exit_code::OfDriverInstallation(false, handOverError, false);
  }
  driver::RegisterForRemoval(platform, driverVersion);
  platform::SourceList sources;
  const bool sourcesQueried = AddStagingFolderToSourceList(devices, &sources);

  int32_t baseline = 0;
  if (options.baselineBeforeReenumerate) baseline = MixerCount(devices);
  ReenumerateDeviceTree(devices);
  if (sourcesQueried) devices.FreeSourceList(&sources);
  if (!options.baselineBeforeReenumerate) baseline = MixerCount(devices);
  WaitForNewMixer(platform, baseline);

  const bool restartInitiated = OfferRestart(platform, restartPrompt);
  return exit_code::OfDriverInstallation(true, 0, restartInitiated);
}
