#include "driver/DriverStaging.h"

#include "common/Paths.h"
#include "common/RegistryKey.h"
#include "common/SharedNames.h"
#include "platform/WinApi.h"

namespace driver {

void CopyFolderFiles(platform::FileSystem& files, const std::string& sourceFolder,
                     const std::string& targetFolder, const CopiedFile& afterCopy) {
  std::string pattern;
  if (!JoinPath(sourceFolder, "*.*", &pattern)) return;
  platform::FindData found;
  platform::FindHandle search = files.FindFirstFile(pattern, &found);
  if (!search) return;
  do {
    if (found.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;  // ".", ".." and subfolders
    std::string source, target;
    if (!JoinPath(sourceFolder, found.fileName, &source) ||
        !JoinPath(targetFolder, found.fileName, &target)) {
      continue;
    }
    CopyOver(files, source, target);
    if (afterCopy) afterCopy(found.fileName, target);
  } while (files.FindNextFile(search, &found));
  files.FindClose(search);
}

bool StageMixerReplacement(platform::Platform& platform, const std::string& driverFolder) {
  platform::FileSystem& files = platform.files;
  std::string newMixer;
  if (!JoinPath(driverFolder, shared::kNewMixerFile, &newMixer) ||
      !FileIsPresent(files, newMixer)) {
    return false;
  }
  const std::string windowsDirectory = WindowsDirectoryWithBackslash(platform);
  // GetWindowsDirectoryA failed: the files would land in the root of the
  // current drive, where the logon run never looks for them.
  if (windowsDirectory.size() < 2) return false;
  std::string stagedMixer, setupCopy, setupSource;
  if (!JoinPath(windowsDirectory, shared::kNewMixerFile, &stagedMixer) ||
      !JoinPath(windowsDirectory, shared::kSetupCopyFile, &setupCopy) ||
      !JoinPath(driverFolder, "W2KSetup.dat", &setupSource)) {
    return false;
  }
  // Both files are put in place whole, never copied over the armed ones, and
  // the entry is written only when both are: the logon run must find this
  // program and a whole mixer to swap in. An earlier arming stays as it was.
  const bool mixerStaged = CopyOverWhole(platform, newMixer, stagedMixer);
  if (!CopyOverWhole(platform, setupSource, setupCopy) || !mixerStaged) return false;

  RegistryKey key(platform.registry);
  if (!key.Open(platform::Hive::LocalMachine, shared::kRunKeyPath, KEY_ALL_ACCESS)) return false;
  // Quoted, so that a Windows directory with blanks cannot start another
  // program; stored with its terminating zero, as REG_SZ data should be.
  const std::string command = PathInQuotes(setupCopy) + " -ReplaceMixer";
  return platform.registry.SetValue(key.Handle(), shared::kMixerReplacementValue, REG_SZ,
                                    command + '\0') == ERROR_SUCCESS;
}

}  // namespace driver
