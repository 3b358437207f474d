#include "common/MultibyteText.h"

#include <cstdint>

size_t FindLastSingleByte(platform::System& system, const std::string& text, char c, size_t from) {
  size_t found = std::string::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (system.IsDBCSLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size()) {
      ++i;  // skip the trail byte
      continue;
    }
    if (text[i] == c && i >= from) found = i;
  }
  return found;
}

bool ContainsAtCharacterBoundary(platform::System& system, const std::string& text,
                                 const std::string& needle) {
  if (needle.empty()) return true;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, needle.size(), needle) == 0) return true;
    if (system.IsDBCSLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size()) ++i;
  }
  return false;
}

void UpperCaseInPlace(platform::System& system, char* text) {
  for (char* p = text; *p; ++p) {
    if (system.IsDBCSLeadByte(static_cast<uint8_t>(*p))) {
      if (p[1] == '\0') break;
      ++p;
      continue;
    }
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
  }
}

std::string WithTrailingBackslash(platform::System& system, std::string path) {
  if (path.empty() || FindLastSingleByte(system, path, '\\') != path.size() - 1) path += '\\';
  return path;
}
