// Small operations over the platform seam that several parts of the program
// share: the Windows directory text, the file presence test, the copy-over
// rule, and text searches that respect double-byte characters.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace platform {

// GetWindowsDirectoryA into MAX_PATH characters, with a backslash appended
// when it does not end in one.
std::string WindowsDirectoryWithBackslash(FileSystem& files);

// A file is present when it opens for reading ("rb"); it is closed at once.
bool FileIsPresent(FileSystem& files, const std::string& path);

// The copy-over rule: the destination is made writable, then overwritten.
bool CopyOver(FileSystem& files, const std::string& from, const std::string& to);

// Position of the last single-byte occurrence of c at or after index from,
// walking the text as multibyte characters so that the second byte of a
// double-byte character is never taken for c. npos when there is none.
size_t FindLastSingleByte(System& system, const std::string& text, char c, size_t from = 0);

// Whether text contains needle starting at a character boundary
// (case-sensitive; a match never begins inside a double-byte character).
bool ContainsAtCharacterBoundary(System& system, const std::string& text,
                                 const std::string& needle);

// Upper-cases the ASCII letters of a zero-terminated text in place, leaving
// double-byte characters as they are.
void UpperCaseInPlace(System& system, char* text);

// Wraps a program path in quotes so that a path with blanks cannot be read as
// a shorter program path followed by arguments.
std::string Quoted(const std::string& path);

}  // namespace platform
