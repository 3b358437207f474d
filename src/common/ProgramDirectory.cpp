#include "common/ProgramDirectory.h"

#include "common/CommandLine.h"
#include "common/MultibyteText.h"
#include "platform/WinApi.h"

namespace {

// The current drive ("D:"): the current directory up to and including its
// first colon, or the whole current directory when it holds none.
std::string CurrentDrive(platform::FileSystem& files) {
  std::string current = files.GetCurrentDirectory();
  size_t colon = current.find(':');
  return colon == std::string::npos ? current : current.substr(0, colon + 1);
}

}  // namespace

std::string DeriveProgramDirectory(platform::Platform& platform, const std::string& programPath) {
  platform::System& system = platform.system;
  std::string directory;
  const size_t cut = FindLastSingleByte(system, programPath, '\\', 1);
  if (cut == std::string::npos) {
    // Only the program's name: it was started from the current directory, or
    // from the root of the current drive when the name starts with a backslash.
    const bool fromRoot = !programPath.empty() && programPath[0] == '\\';
    directory =
        fromRoot ? CurrentDrive(platform.files) + "\\" : platform.files.GetCurrentDirectory();
  } else {
    directory = programPath.substr(0, cut);
    // The second character, which is no character of its own when the first
    // is a double-byte one (its trail byte may be 0x5C).
    const bool secondIsSingle =
        directory.size() >= 2 && !system.IsDBCSLeadByte(static_cast<uint8_t>(directory[0]));
    const bool drivePath = secondIsSingle && directory[1] == ':';
    const bool networkPath = secondIsSingle && directory[0] == '\\' && directory[1] == '\\';
    if (!drivePath && !networkPath) {
      const bool secondIsBackslash = secondIsSingle && directory[1] == '\\';
      directory = CurrentDrive(platform.files) + (secondIsBackslash ? "\\" : "") + directory;
    }
  }
  directory = WithTrailingBackslash(system, directory);
  // Longer than a MAX_PATH buffer holds, the folder cannot be named to the
  // file functions; a shortened text would name another folder.
  return directory.size() <= MAX_PATH - 1 ? directory : std::string();
}

std::string ProgramDirectory(platform::Platform& platform) {
  return DeriveProgramDirectory(platform, ProgramPathArgument(platform.processes.GetCommandLine()));
}
