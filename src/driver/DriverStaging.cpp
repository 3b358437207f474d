#include "driver/DriverStaging.h"

#include "app/RunKey.h"
#include "platform/Helpers.h"
#include "platform/WinApi.h"

namespace driver {

bool JoinPath(const std::string& folder, const std::string& name, std::string* path) {
  if (folder.size() + name.size() > MAX_PATH - 1) return false;
  *path = folder + name;
  return true;
}

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
    platform::CopyOver(files, source, target);
    if (afterCopy) afterCopy(found.fileName, target);
  } while (files.FindNextFile(search, &found));
  files.FindClose(search);
}

void StageMixerReplacement(platform::Platform& platform, const std::string& driverFolder) {
  platform::FileSystem& files = platform.files;
  std::string newMixer;
  if (!JoinPath(driverFolder, "Mixer.dat", &newMixer) ||
      !platform::FileIsPresent(files, newMixer)) {
    return;
  }
  const std::string windowsDirectory = platform::WindowsDirectoryWithBackslash(files);
  std::string stagedMixer, setupCopy, setupSource;
  if (JoinPath(windowsDirectory, "Mixer.dat", &stagedMixer)) {
    platform::CopyOver(files, newMixer, stagedMixer);
  }
  if (!JoinPath(windowsDirectory, "W2KSetup.exe", &setupCopy)) return;
  if (JoinPath(driverFolder, "W2KSetup.dat", &setupSource)) {
    platform::CopyOver(files, setupSource, setupCopy);
  }

  platform::RegKey key = 0;
  if (platform.registry.OpenKey(platform::Hive::LocalMachine, run_key::kPath, KEY_ALL_ACCESS,
                                &key) != ERROR_SUCCESS) {
    return;
  }
  // Quoted, so that a Windows directory with blanks cannot start another
  // program; stored with its terminating zero, as REG_SZ data should be.
  const std::string command = platform::Quoted(setupCopy) + " -ReplaceMixer";
  platform.registry.SetValue(key, run_key::kMixerReplacement, REG_SZ, command + '\0');
  platform.registry.CloseKey(key);
}

}  // namespace driver
