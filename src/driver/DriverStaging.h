// The file work of the driver installation: copying the DOS files and the
// driver package into the installation folders and staging the mixer
// replacement for the next logon.
#pragma once

#include <functional>
#include <string>

#include "platform/Platform.h"

namespace driver {

constexpr const char* kProgramFilesFolder = "C:\\Program Files\\";
constexpr const char* kDosFolder = "C:\\Program Files\\Quarnex\\DOS\\";
constexpr const char* kDosAppFolder = "C:\\Program Files\\Quarnex\\DOS\\DOSAPP\\";
constexpr const char* kStagingFolder = "C:\\Program Files\\Quarnex\\WIN_ME\\";

// Copies every file (not subfolder) of sourceFolder into targetFolder, over
// any file already there. afterCopy, when given, receives the file's name and
// its destination path.
using CopiedFile = std::function<void(const std::string& name, const std::string& target)>;
void CopyFolderFiles(platform::FileSystem& files, const std::string& sourceFolder,
                     const std::string& targetFolder, const CopiedFile& afterCopy = nullptr);

// What the staging of the mixer replacement put in place of an earlier one.
struct MixerStaging {
  bool newMixerCopied = false;        // "Mixer.dat" in the Windows directory
  bool mixerAtRestartCopied = false;  // "Mixer.new", Windows Vista and later
};

// Stages the new mixer of the driver folder for the next start of Windows;
// does nothing when the folder holds no "Mixer.dat". It copies "Mixer.dat"
// into the Windows directory, then:
// - on Windows 2000 and XP, copies "W2KSetup.dat" there as "W2KSetup.exe" and
//   arms the Run value that starts it with "-ReplaceMixer" at the next logon;
// - on Windows Vista and later, whose logon entries start without the rights
//   for the swap, copies the new mixer to "Mixer.new" and has Windows move it
//   over "Mixer.exe" at the next restart; a Run value left by an earlier
//   installation is deleted.
MixerStaging StageMixerReplacement(platform::Platform& platform, const std::string& driverFolder);

// Takes back what would put the staged mixer in place: the Run value,
// whoever armed it, once "Mixer.dat" is this run's, and the move at restart
// with its copy once "Mixer.new" is. For an installation that did not happen.
void WithdrawMixerReplacement(platform::Platform& platform, const MixerStaging& staged);

}  // namespace driver
