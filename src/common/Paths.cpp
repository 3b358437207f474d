#include "common/Paths.h"

#include "platform/WinApi.h"

bool JoinPath(const std::string& folder, const std::string& name, std::string* path) {
  if (folder.size() + name.size() > MAX_PATH - 1) return false;
  *path = folder + name;
  return true;
}

std::string WindowsDirectoryWithBackslash(platform::FileSystem& files) {
  std::string directory = files.GetWindowsDirectory(MAX_PATH);
  if (directory.empty() || directory.back() != '\\') directory += '\\';
  return directory;
}

bool FileIsPresent(platform::FileSystem& files, const std::string& path) {
  return files.OpenStream(path, "rb") != nullptr;
}

bool CopyOver(platform::FileSystem& files, const std::string& from, const std::string& to) {
  files.SetFileAttributes(to, FILE_ATTRIBUTE_NORMAL);
  return files.CopyFile(from, to, false);
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
