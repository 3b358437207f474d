#include "driver/RemoveDriverPackage.h"

#include <utility>
#include <vector>

#include "cleanup/RemoveLegacyDriverFiles.h"
#include "common/ExitCodes.h"
#include "common/MovesAtRestart.h"
#include "common/Paths.h"
#include "common/RegistryKey.h"
#include "common/SharedNames.h"
#include "common/WindowsVersion.h"
#include "driver/DriverStaging.h"
#include "driver/FindAndRemoveDevice.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

// More controllers than any machine holds; a device that will not go ends it sooner.
constexpr int kMostDevices = 32;
constexpr uint32_t kRunValueBufferSize = 1024;
// The staging folders, those inside first.
const char* const kStagingFolders[] = {driver::kStagingFolder, driver::kDosAppFolder,
                                       driver::kDosFolder};
// In the Windows directory: this program's copy for the logon run, the new
// mixer, its copy for the move at restart, and what a copy cut short leaves
// beside each of them and beside the mixer.
const char* const kWindowsFiles[] = {"W2KSetup.exe",     "Mixer.dat",     "Mixer.new",
                                     "W2KSetup.exe.new", "Mixer.dat.new", "Mixer.new.new",
                                     "Mixer.exe.new"};

std::string WithoutBackslash(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

// This driver's INFs, earlier or current, where the installation's purge
// looks for them: the OEM and "QX" INFs of the INF folder and the INFs of its
// OTHER folder.
std::vector<std::string> ThisDriversInfs(platform::Platform& platform) {
  std::vector<std::string> infs;
  const std::string windowsDirectory = WindowsDirectoryWithBackslash(platform);
  const std::pair<const char*, const char*> scans[] = {
      {"INF\\", "OEM*.INF"}, {"INF\\", "QX*.INF"}, {"INF\\OTHER\\", "*.INF"}};
  for (const auto& [folderName, mask] : scans) {
    std::string folder, pattern;
    if (!JoinPath(windowsDirectory, folderName, &folder) || !JoinPath(folder, mask, &pattern)) {
      continue;
    }
    ForEachFile(platform.files, pattern, [&](const platform::FindData& found) {
      std::string path;
      if (!(found.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
          JoinPath(folder, found.fileName, &path) && IsThisDriversInf(platform.profiles, path)) {
        infs.push_back(path);
      }
      return true;
    });
  }
  return infs;
}

std::vector<std::string> WindowsFiles(platform::Platform& platform) {
  std::vector<std::string> paths;
  const std::string windowsDirectory = WindowsDirectoryWithBackslash(platform);
  for (const char* name : kWindowsFiles) {
    std::string path;
    if (JoinPath(windowsDirectory, name, &path)) paths.push_back(path);
  }
  return paths;
}

std::string MixerAtRestart(platform::Platform& platform) {
  std::string path;
  return JoinPath(WindowsDirectoryWithBackslash(platform), shared::kMixerAtRestartFile, &path)
             ? path
             : std::string();
}

// A folder with nothing in it but "." and "..". folder ends in a backslash.
bool EmptyFolderLiesAt(platform::FileSystem& files, const std::string& folder) {
  if (!FolderLiesAt(files, WithoutBackslash(folder))) return false;
  bool empty = true;
  ForEachFile(files, folder + "*.*", [&empty](const platform::FindData& found) {
    empty = found.fileName == "." || found.fileName == "..";
    return empty;
  });
  return empty;
}

bool RunValueArmed(platform::Registry& registry) {
  RegistryKey key(registry);
  std::string command;
  return key.Open(platform::Hive::LocalMachine, shared::kRunKeyPath, KEY_QUERY_VALUE) &&
         key.ReadText(shared::kMixerReplacementValue, kRunValueBufferSize, &command);
}

bool EntryListed(platform::Registry& registry) {
  RegistryKey key(registry);
  return key.Open(platform::Hive::LocalMachine, shared::kUninstallKeyPath, KEY_QUERY_VALUE);
}

// What of the driver is on the machine, by name; the entry and this
// program's copy only when asked for.
std::vector<std::string> WhatIsInstalled(platform::Platform& platform, bool withEntryAndCopy) {
  std::vector<std::string> found;
  if (FindControllerDevice(platform, false)) found.push_back("a device of the controller");
  for (const std::string& inf : ThisDriversInfs(platform)) found.push_back(inf);
  for (const char* folder : kStagingFolders) {
    if (FolderLiesAt(platform.files, WithoutBackslash(folder))) found.push_back(folder);
  }
  if (RunValueArmed(platform.registry)) found.push_back(shared::kMixerReplacementValue);
  for (const std::string& path : WindowsFiles(platform)) {
    if (FileLiesAt(platform.files, path)) found.push_back(path);
  }
  if (IsMovedAtRestart(platform, MixerAtRestart(platform))) found.push_back("the mixer's move");
  if (withEntryAndCopy) {
    if (FileLiesAt(platform.files, shared::kRemovalProgram))
      found.push_back(shared::kRemovalProgram);
    if (EmptyFolderLiesAt(platform.files, shared::kMakerFolder))
      found.push_back(shared::kMakerFolder);
    if (EntryListed(platform.registry)) found.push_back(shared::kUninstallKeyPath);
  }
  return found;
}

void RemoveDevices(platform::Platform& platform) {
  for (int device = 0; device < kMostDevices && FindControllerDevice(platform, true); ++device) {
  }
}

// Through the setup services where Windows has their removal (XP and later),
// which then keep no copy of their own; whatever is left goes as a file.
void RemoveInfs(platform::Platform& platform) {
  const platform::OsVersion version = platform.system.GetVersion();
  const bool servicesRemove =
      IsWindows2000OrLater(version) && (version.majorVersion > 5 || version.minorVersion >= 1);
  const std::string infFolder = WindowsDirectoryWithBackslash(platform) + "INF\\";
  for (const std::string& inf : ThisDriversInfs(platform)) {
    const std::string name = inf.substr(inf.find_last_of('\\') + 1);
    if (servicesRemove && inf == infFolder + name) {
      platform.devices.UninstallOEMInf(name, SUOI_FORCEDELETE);
    }
    for (const std::string& path : {inf, inf.substr(0, inf.size() - 3) + "PNF"}) {
      if (FileLiesAt(platform.files, path)) DeleteWritable(platform.files, path);
    }
  }
}

void RemoveStagingFolders(platform::Platform& platform) {
  for (const char* folder : kStagingFolders) {
    ForEachFile(platform.files, std::string(folder) + "*.*", [&](const platform::FindData& found) {
      if (!(found.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteWritable(platform.files, folder + found.fileName);
      }
      return true;
    });
    if (FolderLiesAt(platform.files, WithoutBackslash(folder))) {
      platform.files.RemoveDirectory(WithoutBackslash(folder));
    }
  }
}

// The logon entry gone, or never there.
bool Disarmed(platform::Registry& registry) {
  RegistryKey key(registry);
  if (!key.Open(platform::Hive::LocalMachine, shared::kRunKeyPath, KEY_ALL_ACCESS)) {
    return !RunValueArmed(registry) &&
           !key.Open(platform::Hive::LocalMachine, shared::kRunKeyPath, KEY_QUERY_VALUE);
  }
  const uint32_t deleted = registry.DeleteValue(key.Handle(), shared::kMixerReplacementValue);
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

// The logon entry and the move at restart before the files they would use:
// an entry that stays keeps its program and its mixer.
void RemoveMixerReplacement(platform::Platform& platform) {
  const bool disarmed = Disarmed(platform.registry);
  const std::string mixerAtRestart = MixerAtRestart(platform);
  if (IsMovedAtRestart(platform, mixerAtRestart)) CancelMovesAtRestart(platform, mixerAtRestart);
  if (!disarmed) return;
  for (const std::string& path : WindowsFiles(platform)) {
    if (FileLiesAt(platform.files, path)) DeleteWritable(platform.files, path);
  }
}

// This program's copy, and the maker's folder when that is empty; a copy
// that runs goes at the restart. False when the copy stays.
bool RemoveRemovalProgram(platform::Platform& platform, bool runsFromCopy) {
  const std::string makerFolder = WithoutBackslash(shared::kMakerFolder);
  if (runsFromCopy) {
    // Windows deletes the folder at the restart only when it is empty by then,
    // after the copy. Both, or neither: the entry must keep its copy.
    if (!platform.files.DeleteFileAtRestart(shared::kRemovalProgram)) return false;
    if (platform.files.DeleteFileAtRestart(makerFolder)) return true;
    CancelMovesAtRestart(platform, shared::kRemovalProgram);
    return false;
  }
  if (!DeleteWritable(platform.files, shared::kRemovalProgram) &&
      FileLiesAt(platform.files, shared::kRemovalProgram)) {
    return false;
  }
  // Gone, never there, or holding something else of the maker's: all fine.
  if (platform.files.RemoveDirectory(makerFolder)) return true;
  const uint32_t error = platform.system.GetLastError();
  return error == ERROR_DIR_NOT_EMPTY || error == ERROR_FILE_NOT_FOUND ||
         error == ERROR_PATH_NOT_FOUND;
}

int Say(platform::Desktop& desktop, int textId, uint32_t icon, int exitCode) {
  desktop.MessageBox(0, desktop.LoadString(textId), shared::kMessageCaption, MB_OK | icon);
  return exitCode;
}

}  // namespace

int RemoveDriverPackage(platform::Platform& platform, const std::string& programDirectory) {
  platform::Desktop& desktop = platform.desktop;
  if (WhatIsInstalled(platform, true).empty()) {
    return Say(desktop, IDS_NOTHING_TO_REMOVE, MB_ICONINFORMATION, exit_code::kNotInstalled);
  }
  if (desktop.MessageBox(0, desktop.LoadString(IDS_REMOVE_QUESTION), shared::kMessageCaption,
                         MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return exit_code::kUserCancelled;
  }
  RemoveDevices(platform);
  RemoveInfs(platform);
  RemoveStagingFolders(platform);
  RemoveMixerReplacement(platform);

  // The copy that the entry starts, and the entry, go last and only once
  // nothing else is left: until then the removal can be run again from the list.
  std::vector<std::string> left = WhatIsInstalled(platform, false);
  const bool runsFromCopy = SamePath(platform.system, programDirectory, shared::kMakerFolder);
  if (left.empty() && !RemoveRemovalProgram(platform, runsFromCopy)) {
    left.push_back(shared::kRemovalProgram);
  }
  if (left.empty() &&
      platform.registry.DeleteKey(platform::Hive::LocalMachine, shared::kUninstallKeyPath) !=
          ERROR_SUCCESS &&
      EntryListed(platform.registry)) {
    left.push_back(shared::kUninstallKeyPath);
  }
  if (!left.empty()) {
    std::string what;
    for (const std::string& item : left) what += (what.empty() ? "" : ", ") + item;
    platform.system.OutputDebugString("removal: left on the machine: " + what);
    return Say(desktop, IDS_NOT_REMOVED, MB_ICONERROR, exit_code::kInstallFailure);
  }
  return runsFromCopy
             ? Say(desktop, IDS_REMOVED_RESTART, MB_ICONINFORMATION, exit_code::kRebootRequired)
             : Say(desktop, IDS_REMOVED, MB_ICONINFORMATION, exit_code::kSuccess);
}
