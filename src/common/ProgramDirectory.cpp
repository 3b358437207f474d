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

// Appends a backslash unless the text ends with one. The last byte alone does
// not tell: it may be the second byte of a double-byte character (0x5C, as in
// the Shift-JIS "\x83\x5C").
std::string WithBackslash(platform::System& system, std::string path) {
  if (path.empty() || FindLastSingleByte(system, path, '\\') != path.size() - 1) path += '\\';
  return path;
}

}  // namespace

std::string DeriveProgramDirectory(platform::Platform& platform, const std::string& programPath) {
  std::string text = programPath.substr(0, MAX_PATH - 1);
  size_t cut = FindLastSingleByte(platform.system, text, '\\', 1);
  if (cut == std::string::npos) {
    // Only the program's name: it was started from the current directory, or
    // from the root of the current drive when the name starts with a backslash.
    if (!text.empty() && text[0] == '\\') return CurrentDrive(platform.files) + "\\";
    return WithBackslash(platform.system, platform.files.GetCurrentDirectory());
  }
  text.resize(cut);
  bool drivePath = text.size() >= 2 && text[1] == ':';
  bool networkPath = text.size() >= 2 && text[0] == '\\' && text[1] == '\\';
  if (!drivePath && !networkPath) {
    std::string drive = CurrentDrive(platform.files);
    text = drive + (text.size() >= 2 && text[1] == '\\' ? "\\" : "") + text;
  }
  return WithBackslash(platform.system, text);
}

std::string ProgramDirectory(platform::Platform& platform) {
  return DeriveProgramDirectory(platform, ProgramPathArgument(platform.processes.GetCommandLine()));
}
