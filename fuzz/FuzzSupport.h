// Shared by the fuzz targets: how a broken property is reported, and an
// independent reading of text in the Japanese code page.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

// Reports a broken property and aborts, so that libFuzzer saves the input.
inline void Require(bool condition, const char* what, size_t at = 0) {
  if (condition) return;
  std::fprintf(stderr, "property broken: %s (at %zu)\n", what, at);
  std::abort();
}

// Shift-JIS (code page 932) lead bytes, spelled out apart from the fake.
inline bool IsShiftJisLead(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

inline bool IsShiftJisTrail(uint8_t byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Where each character of text starts: a lead byte and the byte after it are
// one character; a lead byte at the very end stands alone. Every byte is a
// character of its own when doubleByte is false (code page 1252).
inline std::vector<size_t> CharacterStarts(const std::string& text, bool doubleByte) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); ++i) {
    starts.push_back(i);
    if (doubleByte && IsShiftJisLead(static_cast<uint8_t>(text[i])) && i + 1 < text.size()) ++i;
  }
  return starts;
}

// Whether every lead byte of text is followed by a valid trail byte: text a
// Japanese system could hold.
inline bool IsValidShiftJis(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsShiftJisLead(static_cast<uint8_t>(text[i]))) continue;
    if (i + 1 >= text.size() || !IsShiftJisTrail(static_cast<uint8_t>(text[i + 1]))) return false;
    ++i;
  }
  return true;
}

}  // namespace fuzz
