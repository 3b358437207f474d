#include "driver/InstallDriverPackage.h"

#include <cstring>

#include "cleanup/RemoveLegacyDriverFiles.h"
#include "driver/DriverStaging.h"
#include "driver/FindAndRemoveDevice.h"
#include "platform/Helpers.h"
#include "platform/WinApi.h"
#include "suite/SuiteClosing.h"
#include "suite/SuiteTexts.h"
#include "ui/RestartDlg.h"

namespace {

using driver::JoinPath;

constexpr const char* kNotice =
    "The driver will be installed now. It need a few minutes to complete.";
constexpr const char* kStagedInf = "C:\\Program Files\\Quarnex\\WIN_ME\\QXAUDIO.INF";
constexpr const char* kMediaLocation = "C:\\Program Files\\Quarnex\\WIN_ME";
constexpr const char* kDeviceHardwareId = "PCI\\VEN_1E5B&DEV_0111";
constexpr size_t kHardwareIdBufferSize = 256;
constexpr uint32_t kSourceListFlags = SRCLIST_SYSTEM | SRCLIST_USER;
constexpr int kMixerPolls = 10;
constexpr uint32_t kMixerPollPause = 3000;
constexpr uint32_t kPauseBeforeRestartPrompt = 5000;

void CloseRunningPrograms(platform::Platform& platform, WindowsToClose windows) {
  switch (windows) {
    case WindowsToClose::None:
      break;
    case WindowsToClose::Mixer:
      if (platform::Hwnd mixer = platform.desktop.FindTopLevelWindow("Mixer")) {
        platform.desktop.SendMessage(mixer, WM_CLOSE, 0, 0);
      }
      break;
    case WindowsToClose::SuitePrograms:
      CloseSuitePrograms(platform, true);
      break;
  }
}

// The mixer program reads "Initialize" at start; an absent file stays absent.
void WriteMixerDefaults(platform::Platform& platform, const std::string& windowsDirectory) {
  std::string mixerDefaults;
  if (!JoinPath(windowsDirectory, "mixerdef.ini", &mixerDefaults) ||
      !platform::FileIsPresent(platform.files, mixerDefaults)) {
    return;
  }
  platform.profiles.WriteString("RUNTIME", "Initialize", "0", mixerDefaults);
}

void StageDosFiles(platform::FileSystem& files, const std::string& programDirectory) {
  // Files copied from a read-only disc arrive read-only; they must stay replaceable.
  const auto makeWritable = [&files](const std::string&, const std::string& target) {
    files.SetFileAttributes(target, FILE_ATTRIBUTE_NORMAL);
  };
  std::string dosDrivers, dosApplications;
  if (!JoinPath(programDirectory, "Dosdrv\\", &dosDrivers)) return;
  driver::CopyFolderFiles(files, dosDrivers, driver::kDosFolder, makeWritable);
  if (!JoinPath(dosDrivers, "DOSAPP\\", &dosApplications)) return;
  driver::CopyFolderFiles(files, dosApplications, driver::kDosAppFolder, makeWritable);
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

void StageDriverPackage(platform::FileSystem& files, const std::string& sourceFolder,
                        InfPatcher* patcher) {
  files.CreateDirectory(driver::kStagingFolder);
  if (sourceFolder.empty()) return;
  driver::CopyFolderFiles(
      files, sourceFolder, driver::kStagingFolder,
      [&files, patcher](const std::string& name, const std::string& target) {
        if (!patcher) return;
        if (name.find(".inf") == std::string::npos && name.find(".INF") == std::string::npos) {
          return;
        }
        files.SetFileAttributes(target, FILE_ATTRIBUTE_NORMAL);
        patcher->PatchInfOptions(target);
      });
}

void RemovePresentDevice(platform::Platform& platform) {
  char hardwareId[kHardwareIdBufferSize] = {};
  std::strcpy(hardwareId, kDeviceHardwareId);
  int removeFlag = 1;
  FindAndRemoveDevice(platform, hardwareId, sizeof hardwareId, &removeFlag);
}

// Windows rebuilds its driver index from these files; stale ones would keep
// pointing at the earlier driver.
void DeleteDriverIndex(platform::FileSystem& files, const std::string& windowsDirectory) {
  for (const char* name : {"INF\\Drvdata.bin", "INF\\Drvidx.bin"}) {
    std::string path;
    if (!JoinPath(windowsDirectory, name, &path)) continue;
    files.SetFileAttributes(path, FILE_ATTRIBUTE_NORMAL);
    files.DeleteFile(path);
  }
}

// Adds the staging folder as the last installation source, in a table sized
// for every entry the machine already has.
void ExtendSourceList(platform::DeviceSetup& devices, const platform::SourceList& sources) {
  std::vector<std::string> table = sources.entries;
  table.push_back(driver::kStagingFolder);
  devices.SetSourceList(kSourceListFlags, table);
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

// Polls until a new mixer device shows up, at most kMixerPolls times.
void WaitForNewMixer(platform::Platform& platform, int32_t baseline) {
  for (int poll = 0; poll < kMixerPolls; ++poll) {
    if (MixerCount(platform.devices) > baseline) return;
    platform.clock.Sleep(kMixerPollPause);
  }
}

}  // namespace

void InstallDriverPackage(platform::Platform& platform, const DriverInstallOptions& options,
                          const std::string& programDirectory, CWnd* owner, InfPatcher* patcher) {
  platform::FileSystem& files = platform.files;
  platform::DeviceSetup& devices = platform.devices;

  // 1. Notice.
  const platform::Hwnd noticeOwner =
      options.noticeOwnedByCaller && owner ? owner->GetSafeHwnd() : 0;
  platform.desktop.MessageBox(noticeOwner, kNotice, suite::kMessageCaption, MB_OK);
  if (options.hideOwner && owner) owner->ShowWindow(SW_HIDE);

  // 2, 3. Wait cursor and closing of running programs.
  platform::CursorHandle previousCursor = 0;
  if (options.waitCursorDuringClosing) previousCursor = platform.desktop.ShowWaitCursor();
  CloseRunningPrograms(platform, options.windowsToClose);
  if (!options.waitCursorDuringClosing) previousCursor = platform.desktop.ShowWaitCursor();

  // 4. INF files of earlier drivers.
  RemoveLegacyDriverFiles(platform);

  // 5. Mixer defaults.
  if (options.writeMixerDefaults) {
    WriteMixerDefaults(platform, platform::WindowsDirectoryWithBackslash(files));
  }

  // 6. Current directory.
  std::string otherInfFolder;
  if (JoinPath(platform::WindowsDirectoryWithBackslash(files), "INF\\OTHER\\", &otherInfFolder)) {
    files.SetCurrentDirectory(otherInfFolder);
  }

  // 7. Installation folders and DOS files.
  files.CreateDirectory(driver::kProgramFilesFolder);
  files.CreateDirectory(driver::kMakerFolder);
  if (options.stageDosFiles) {
    files.CreateDirectory(driver::kDosFolder);
    files.CreateDirectory(driver::kDosAppFolder);
    StageDosFiles(files, programDirectory);
  }

  // 8. Driver package.
  const std::string sourceFolder =
      DriverSourceFolder(files, options.sourceLayout, programDirectory);
  StageDriverPackage(files, sourceFolder, options.patchInfFiles ? patcher : nullptr);

  // 9. Mixer replacement at the next logon.
  if (options.stageMixerReplacement && !sourceFolder.empty()) {
    driver::StageMixerReplacement(platform, sourceFolder);
  }

  // 10. Device removal, so that Windows detects the controller again.
  RemovePresentDevice(platform);

  // 11. Driver index.
  DeleteDriverIndex(files, platform::WindowsDirectoryWithBackslash(files));

  // 12. INF hand-over.
  devices.CopyOEMInf(kStagedInf, kMediaLocation, SPOST_PATH, SP_COPY_DELETESOURCE);

  // 13. Installation source list. A list that could not be read is left
  // alone: setting our entry by itself would wipe the machine's sources.
  platform::SourceList sources;
  const bool sourcesQueried = devices.QuerySourceList(kSourceListFlags, &sources);
  if (sourcesQueried) ExtendSourceList(devices, sources);

  // 14 to 17. Re-enumeration, with the mixer baseline taken before or after.
  int32_t baseline = 0;
  if (options.baselineBeforeReenumerate) baseline = MixerCount(devices);
  ReenumerateDeviceTree(devices);
  if (sourcesQueried) devices.FreeSourceList(&sources);
  if (!options.baselineBeforeReenumerate) baseline = MixerCount(devices);

  // 18. New mixer device.
  WaitForNewMixer(platform, baseline);

  // 19. Restart prompt.
  platform.clock.Sleep(kPauseBeforeRestartPrompt);
  CRestartDlg restartDialog(platform);
  restartDialog.DoModal();

  // 20. Back to the caller.
  platform.desktop.RestoreCursor(previousCursor);
}
