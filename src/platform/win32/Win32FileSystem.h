// Files and folders on the Win32 file functions and the C runtime.
#pragma once

#include "platform/FileSystem.h"
#include "platform/win32/Win32SystemLibrary.h"

namespace platform {

class Win32FileSystem final : public FileSystem {
 public:
  std::string GetWindowsDirectory(uint32_t bufferSize) override;
  std::string GetCurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  FindHandle FindFirstFile(const std::string& pattern, FindData* data) override;
  bool FindNextFile(FindHandle handle, FindData* data) override;
  void FindClose(FindHandle handle) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool MoveFileReplacing(const std::string& from, const std::string& to) override;
  bool MoveFileAtRestart(const std::string& from, const std::string& to) override;
  bool DeleteFileAtRestart(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
  std::unique_ptr<Stream> OpenStream(const std::string& path, const std::string& mode) override;

 private:
  // MoveFileExA is looked up at run time: the first Windows 95 lacks it.
  Win32SystemLibrary m_kernel{"kernel32.dll"};
};

}  // namespace platform
