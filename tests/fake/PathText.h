// Windows path text helpers for the fake machine: case-insensitive keys,
// folder/name splitting and wildcard matching as FindFirstFile does it.
#pragma once

#include <string>

namespace fake {

std::string Upper(const std::string& text);
bool EqualsNoCase(const std::string& a, const std::string& b);
// Parent folder of a normalised path ("C:\A\B" -> "C:\A", "C:\A" -> "C:").
std::string ParentOf(const std::string& path);
std::string NameOf(const std::string& path);
// '*' and '?' as the file search matches them; "*.*" and "x.*" also match
// names without an extension.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace fake
