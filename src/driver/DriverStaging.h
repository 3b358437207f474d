// The file work of the driver installation: copying the DOS files and the
// driver package into the installation folders and staging the mixer
// replacement for the next logon.
#pragma once

#include <functional>
#include <string>

#include "platform/Platform.h"

namespace driver {

constexpr const char* kProgramFilesFolder = "C:\\Program Files\\";
constexpr const char* kMakerFolder = "C:\\Program Files\\Quarnex\\";
constexpr const char* kDosFolder = "C:\\Program Files\\Quarnex\\DOS\\";
constexpr const char* kDosAppFolder = "C:\\Program Files\\Quarnex\\DOS\\DOSAPP\\";
constexpr const char* kStagingFolder = "C:\\Program Files\\Quarnex\\WIN_ME\\";

// Copies every file (not subfolder) of sourceFolder into targetFolder, over
// any file already there. afterCopy, when given, receives the file's name and
// its destination path.
using CopiedFile = std::function<void(const std::string& name, const std::string& target)>;
void CopyFolderFiles(platform::FileSystem& files, const std::string& sourceFolder,
                     const std::string& targetFolder, const CopiedFile& afterCopy = nullptr);

// Copies "Mixer.dat" and "W2KSetup.dat" of the driver folder into the Windows
// directory (the latter as "W2KSetup.exe") and arms the Run value that
// starts "W2KSetup.exe -ReplaceMixer" at the next logon. Does nothing when
// the driver folder holds no "Mixer.dat". True when it wrote the Run value.
bool StageMixerReplacement(platform::Platform& platform, const std::string& driverFolder);

}  // namespace driver
