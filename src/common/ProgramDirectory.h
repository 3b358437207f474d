// The program directory: the folder the running program was started from,
// ending in a backslash. Every path on the disc is built from it.
#pragma once

#include <string>

#include "platform/Platform.h"

// Derives the program directory from the program's path as the C runtime
// gives it (its first command-line argument):
//  - cut at the last backslash after the first character, walking the path as
//    multibyte text;
//  - a drive path ("D:\SETUP") stands as it is and a network path
//    ("\\server\share\dir") keeps its own form; a path without a drive gets
//    the current drive in front;
//  - a bare program name (no folder in the path) means the current directory;
//  - a backslash is appended when missing.
// Empty when the result is longer than MAX_PATH - 1 characters: such a
// folder cannot be named to the ANSI file functions, and a shortened text
// would name another folder.
std::string DeriveProgramDirectory(platform::Platform& platform, const std::string& programPath);

// The same, from the process's own command line.
std::string ProgramDirectory(platform::Platform& platform);
