// Paths and files as every subsystem builds and tests them: joining within
// MAX_PATH, the Windows directory text, the presence test, the copy-over rule
// and the quoting of program paths on command lines.
#pragma once

#include <functional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Platform.h"

// folder + name, when the result fits a MAX_PATH buffer with its terminating
// zero. A path that does not fit is reported, never cut, so that no step works
// on a shortened path that names another file.
bool JoinPath(const std::string& folder, const std::string& name, std::string* path);

// GetWindowsDirectoryA into MAX_PATH characters, with a backslash appended
// when it does not end in one (a double-byte character whose second byte is
// 0x5C is no backslash).
std::string WindowsDirectoryWithBackslash(platform::Platform& platform);

// A file is present when it opens for reading ("rb"); it is closed at once.
bool FileIsPresent(platform::FileSystem& files, const std::string& path);

// A file lies at path, whether or not it can be opened (a running program
// may not be).
bool FileLiesAt(platform::FileSystem& files, const std::string& path);
// A folder lies at path (given without its trailing backslash).
bool FolderLiesAt(platform::FileSystem& files, const std::string& path);

// Deletes a file, read-only or not: DeleteFileA's result.
bool DeleteWritable(platform::FileSystem& files, const std::string& path);

// Calls visit with each entry a file search finds ("." and ".." and folders
// too), in order, until it returns false. False when the search found nothing.
bool ForEachFile(platform::FileSystem& files, const std::string& pattern,
                 const std::function<bool(const platform::FindData&)>& visit);

// Whether two paths name the same file, ignoring the case of letters.
bool SamePath(platform::System& system, const std::string& a, const std::string& b);

// The copy-over rule: the destination is made writable, then overwritten.
// The copy is made writable too: CopyFileA carries a read-only disc's
// attribute over, and others could not replace or delete the file.
bool CopyOver(platform::FileSystem& files, const std::string& from, const std::string& to);

// The copy-over rule for a file that must never be seen cut short (a program
// that runs at the next logon): the copy is written beside the destination,
// then moved over it in one step, so that a power cut leaves the old file or
// the new one. A failed step leaves the destination as it was and no copy
// beside it; the last-error code is that of the failed step. Windows 2000 and
// later only, as 9x lacks the replacing move.
bool CopyOverWhole(platform::Platform& platform, const std::string& from, const std::string& to);

// Wraps a program path in quotes so that a path with blanks cannot be read as
// a shorter program path followed by arguments.
std::string PathInQuotes(const std::string& path);
