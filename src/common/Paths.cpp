#include "common/Paths.h"

#include "common/MultibyteText.h"
#include "platform/WinApi.h"

bool JoinPath(const std::string& folder, const std::string& name, std::string* path) {
  if (folder.size() + name.size() > MAX_PATH - 1) return false;
  *path = folder + name;
  return true;
}

std::string WindowsDirectoryWithBackslash(platform::Platform& platform) {
  return WithTrailingBackslash(platform.system, platform.files.GetWindowsDirectory(MAX_PATH));
}

bool FileIsPresent(platform::FileSystem& files, const std::string& path) {
  return files.OpenStream(path, "rb") != nullptr;
}

namespace {

// FindFirstFileA on a path without wildcards: what lies there, if anything.
bool Lies(platform::FileSystem& files, const std::string& path, bool folder) {
  platform::FindData found;
  const platform::FindHandle search = files.FindFirstFile(path, &found);
  if (!search) return false;
  files.FindClose(search);
  return ((found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

}  // namespace

bool FileLiesAt(platform::FileSystem& files, const std::string& path) {
  return Lies(files, path, false);
}

bool FolderLiesAt(platform::FileSystem& files, const std::string& path) {
  return Lies(files, path, true);
}

bool DeleteWritable(platform::FileSystem& files, const std::string& path) {
  files.SetFileAttributes(path, FILE_ATTRIBUTE_NORMAL);
  return files.DeleteFile(path);
}

bool ForEachFile(platform::FileSystem& files, const std::string& pattern,
                 const std::function<bool(const platform::FindData&)>& visit) {
  platform::FindData found;
  const platform::FindHandle search = files.FindFirstFile(pattern, &found);
  if (!search) return false;
  while (visit(found) && files.FindNextFile(search, &found)) {
  }
  files.FindClose(search);
  return true;
}

bool SamePath(platform::System& system, const std::string& a, const std::string& b) {
  std::string upperA = a, upperB = b;
  UpperCaseInPlace(system, upperA.data());
  UpperCaseInPlace(system, upperB.data());
  return upperA == upperB;
}

bool CopyOver(platform::FileSystem& files, const std::string& from, const std::string& to) {
  files.SetFileAttributes(to, FILE_ATTRIBUTE_NORMAL);
  if (!files.CopyFile(from, to, false)) return false;
  files.SetFileAttributes(to, FILE_ATTRIBUTE_NORMAL);
  return true;
}

bool CopyOverWhole(platform::Platform& platform, const std::string& from, const std::string& to) {
  platform::FileSystem& files = platform.files;
  std::string beside;
  if (!JoinPath(to, ".new", &beside)) {
    platform.system.SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  // A copy beside left by a run that was cut short is overwritten.
  if (CopyOver(files, from, beside)) {
    files.SetFileAttributes(to, FILE_ATTRIBUTE_NORMAL);  // a read-only file is not replaced
    if (files.MoveFileReplacing(beside, to)) return true;
  }
  const uint32_t error = platform.system.GetLastError();
  files.SetFileAttributes(beside, FILE_ATTRIBUTE_NORMAL);
  files.DeleteFile(beside);
  platform.system.SetLastError(error);
  return false;
}

std::string PathInQuotes(const std::string& path) { return "\"" + path + "\""; }
