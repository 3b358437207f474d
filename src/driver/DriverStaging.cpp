#include "driver/DriverStaging.h"

#include "common/MovesAtRestart.h"
#include "common/Paths.h"
#include "common/RegistryKey.h"
#include "common/SharedNames.h"
#include "common/WindowsVersion.h"
#include "platform/WinApi.h"

namespace driver {

void CopyFolderFiles(platform::FileSystem& files, const std::string& sourceFolder,
                     const std::string& targetFolder, const CopiedFile& afterCopy) {
  std::string pattern;
  if (!JoinPath(sourceFolder, "*.*", &pattern)) return;
  ForEachFile(files, pattern, [&](const platform::FindData& found) {
    if (found.attributes & FILE_ATTRIBUTE_DIRECTORY) return true;  // ".", ".." and subfolders
    std::string source, target;
    if (!JoinPath(sourceFolder, found.fileName, &source) ||
        !JoinPath(targetFolder, found.fileName, &target)) {
      return true;
    }
    CopyOver(files, source, target);
    if (afterCopy) afterCopy(found.fileName, target);
    return true;
  });
}

namespace {

// Windows 2000 and XP: the logon run swaps the mixer. The entry is armed
// once this run's new mixer is in place, naming this program's copy, which
// must be whole: this run's, or one an earlier installation put in place
// whole and that this run could not replace (it runs, waiting for the
// mixer) or that the package lacks.
void ArmLogonSwap(platform::Platform& platform, const std::string& driverFolder,
                  const std::string& windowsDirectory, bool newMixerCopied) {
  std::string setupCopy, setupSource;
  if (!JoinPath(windowsDirectory, shared::kSetupCopyFile, &setupCopy) ||
      !JoinPath(driverFolder, "W2KSetup.dat", &setupSource)) {
    return;
  }
  const bool setupCopied = CopyOverWhole(platform, setupSource, setupCopy);
  if (!newMixerCopied || (!setupCopied && !FileLiesAt(platform.files, setupCopy))) return;
  RegistryKey key(platform.registry);
  if (!key.Open(platform::Hive::LocalMachine, shared::kRunKeyPath, KEY_ALL_ACCESS)) return;
  // Quoted, so that a Windows directory with blanks cannot start another
  // program; stored with its terminating zero, as REG_SZ data should be.
  const std::string command = PathInQuotes(setupCopy) + " -ReplaceMixer";
  platform.registry.SetValue(key.Handle(), shared::kMixerReplacementValue, REG_SZ, command + '\0');
}

// Windows Vista and later: Windows itself puts a whole copy of the new mixer
// in place at the next restart, before the mixer runs. A second installation
// before the restart replaces the copy; the move noted first takes it, a
// second note of the same move finds nothing left to move.
bool StageMixerAtRestart(platform::Platform& platform, const std::string& newMixer,
                         const std::string& windowsDirectory) {
  DeleteRunValue(platform.registry, shared::kMixerReplacementValue);
  std::string mixerAtRestart, mixer;
  if (!JoinPath(windowsDirectory, shared::kMixerAtRestartFile, &mixerAtRestart) ||
      !JoinPath(windowsDirectory, shared::kMixerFile, &mixer) ||
      !CopyOverWhole(platform, newMixer, mixerAtRestart)) {
    return false;
  }
  platform.files.MoveFileAtRestart(mixerAtRestart, mixer);
  return true;
}

}  // namespace

MixerStaging StageMixerReplacement(platform::Platform& platform, const std::string& driverFolder) {
  MixerStaging staged;
  std::string newMixer;
  if (!JoinPath(driverFolder, shared::kNewMixerFile, &newMixer) ||
      !FileIsPresent(platform.files, newMixer)) {
    return staged;
  }
  const std::string windowsDirectory = WindowsDirectoryWithBackslash(platform);
  // GetWindowsDirectoryA failed: the files would land in the root of the
  // current drive, where neither the logon run nor Windows looks for them.
  if (windowsDirectory.size() < 2) return staged;
  std::string stagedMixer;
  if (!JoinPath(windowsDirectory, shared::kNewMixerFile, &stagedMixer)) return staged;
  // Put in place whole, never copied over the armed one: a failed copy or a
  // power cut leaves an earlier arming as it was.
  staged.newMixerCopied = CopyOverWhole(platform, newMixer, stagedMixer);
  if (IsWindowsVistaOrLater(platform.system.GetVersion())) {
    staged.mixerAtRestartCopied = StageMixerAtRestart(platform, newMixer, windowsDirectory);
  } else {
    ArmLogonSwap(platform, driverFolder, windowsDirectory, staged.newMixerCopied);
  }
  return staged;
}

void WithdrawMixerReplacement(platform::Platform& platform, const MixerStaging& staged) {
  if (staged.newMixerCopied) DeleteRunValue(platform.registry, shared::kMixerReplacementValue);
  if (!staged.mixerAtRestartCopied) return;
  std::string mixerAtRestart;
  if (!JoinPath(WindowsDirectoryWithBackslash(platform), shared::kMixerAtRestartFile,
                &mixerAtRestart)) {
    return;
  }
  CancelMovesAtRestart(platform, mixerAtRestart);
  DeleteWritable(platform.files, mixerAtRestart);
}

}  // namespace driver
