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

bool CopyOver(platform::FileSystem& files, const std::string& from, const std::string& to) {
  files.SetFileAttributes(to, FILE_ATTRIBUTE_NORMAL);
  return files.CopyFile(from, to, false);
}

std::string PathInQuotes(const std::string& path) { return "\"" + path + "\""; }
