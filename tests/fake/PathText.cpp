#include "fake/PathText.h"

#include <cctype>

namespace fake {

std::string Upper(const std::string& text) {
  std::string result = text;
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

std::string ParentOf(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

bool Match(const char* p, const char* n) {
  for (; *p; ++p) {
    if (*p == '*') {
      for (const char* s = n;; ++s) {
        if (Match(p + 1, s)) return true;
        if (!*s) return false;
      }
    }
    if (!*n) return false;
    if (*p != '?' && std::toupper(static_cast<unsigned char>(*p)) !=
                         std::toupper(static_cast<unsigned char>(*n))) {
      return false;
    }
    ++n;
  }
  return *n == '\0';
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  if (Match(pattern.c_str(), name.c_str())) return true;
  // A trailing ".*" also matches a name with no extension at all.
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos) {
    return Match(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
  }
  return false;
}

}  // namespace fake
