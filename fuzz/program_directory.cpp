// Fuzz target: the program-directory rule on arbitrary program paths and
// current directories, in code page 1252 and in code page 932.
//
// Input: the first byte picks the code page (bit 0 set: 932); the rest is the
// program path, a zero byte, and the current directory. The result must be
// empty (a folder too long to name) or end in a backslash that is a character
// of its own and fit a MAX_PATH buffer with its zero; it must equal the rule
// read here character by character, so that no double-byte character is cut
// or taken for a backslash.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "common/ProgramDirectory.h"
#include "fake/FakeMachine.h"

namespace {

constexpr size_t kLongestPath = 259;  // MAX_PATH without the terminating zero

// The rule, read as characters of the code page rather than bytes.
std::string ExpectedDirectory(const std::string& programPath, const std::string& current,
                              bool doubleByte) {
  size_t cut = std::string::npos;
  for (size_t start : fuzz::CharacterStarts(programPath, doubleByte)) {
    if (start >= 1 && programPath[start] == '\\') cut = start;
  }
  const size_t colon = current.find(':');
  const std::string drive = colon == std::string::npos ? current : current.substr(0, colon + 1);
  std::string directory;
  if (cut == std::string::npos) {
    directory = !programPath.empty() && programPath[0] == '\\' ? drive + "\\" : current;
  } else {
    const std::string folder = programPath.substr(0, cut);
    const std::vector<size_t> starts = fuzz::CharacterStarts(folder, doubleByte);
    // The second character is a single byte when it starts at index 1.
    const bool secondIsSingle = starts.size() >= 2 && starts[1] == 1;
    const bool drivePath = secondIsSingle && folder[1] == ':';
    const bool networkPath = secondIsSingle && folder[0] == '\\' && folder[1] == '\\';
    if (drivePath || networkPath) {
      directory = folder;
    } else {
      directory = drive + (secondIsSingle && folder[1] == '\\' ? "\\" : "") + folder;
    }
  }
  const std::vector<size_t> starts = fuzz::CharacterStarts(directory, doubleByte);
  if (starts.empty() || starts.back() != directory.size() - 1 || directory.back() != '\\') {
    directory += '\\';
  }
  return directory.size() <= kLongestPath ? directory : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool doubleByte = data[0] & 0x01;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t zero = rest.find('\0');
  const std::string programPath = rest.substr(0, zero);
  std::string current = zero == std::string::npos ? "C:\\" : rest.substr(zero + 1);
  current = current.substr(0, current.find('\0'));
  // A Japanese system holds no text with a lead byte that has no valid trail byte.
  if (doubleByte && (!fuzz::IsValidShiftJis(programPath) || !fuzz::IsValidShiftJis(current))) {
    return 0;
  }

  static fake::FakeMachine machine;
  machine.system.SetCodePage(doubleByte ? 932 : 1252);
  machine.files.SetCurrentDirectoryText(current);
  const std::string directory = DeriveProgramDirectory(machine.platform(), programPath);

  if (!directory.empty()) {
    fuzz::Require(directory.size() <= kLongestPath, "longer than MAX_PATH allows",
                  directory.size());
    const std::vector<size_t> starts = fuzz::CharacterStarts(directory, doubleByte);
    fuzz::Require(starts.back() == directory.size() - 1 && directory.back() == '\\',
                  "does not end in a backslash of its own");
  }
  fuzz::Require(directory == ExpectedDirectory(programPath, current, doubleByte),
                "differs from the rule read character by character");
  return 0;
}
