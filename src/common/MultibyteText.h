// Text searches and case changes that respect the double-byte characters of
// the system's ANSI code page (Japanese, Chinese and Korean systems), whose
// second byte may equal a backslash or a letter.
#pragma once

#include <cstddef>
#include <string>

#include "platform/SystemServices.h"

// Position of the last single-byte occurrence of c at or after index from,
// walking the text as multibyte characters so that the second byte of a
// double-byte character is never taken for c. npos when there is none.
size_t FindLastSingleByte(platform::System& system, const std::string& text, char c,
                          size_t from = 0);

// Whether text contains needle starting at a character boundary
// (case-sensitive; a match never begins inside a double-byte character).
bool ContainsAtCharacterBoundary(platform::System& system, const std::string& text,
                                 const std::string& needle);

// Upper-cases the ASCII letters of a zero-terminated text in place, leaving
// double-byte characters as they are.
void UpperCaseInPlace(platform::System& system, char* text);

// Appends a backslash unless the text ends with one. The last byte alone does
// not tell: it may be the second byte of a double-byte character (0x5C, as in
// the Shift-JIS "\x83\x5C").
std::string WithTrailingBackslash(platform::System& system, std::string path);
