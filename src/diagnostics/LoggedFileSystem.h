// File calls and the C runtime streams they open, forwarded and logged.
#pragma once

#include "diagnostics/CallLog.h"
#include "platform/FileSystem.h"

namespace diagnostics {

class LoggedFileSystem final : public platform::FileSystem {
 public:
  LoggedFileSystem(platform::FileSystem& inner, CallLog& log) : m_inner(inner), m_log(log) {}

  std::string GetWindowsDirectory(uint32_t bufferSize) override;
  std::string GetCurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  platform::FindHandle FindFirstFile(const std::string& pattern, platform::FindData* data) override;
  bool FindNextFile(platform::FindHandle handle, platform::FindData* data) override;
  void FindClose(platform::FindHandle handle) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool MoveFile(const std::string& from, const std::string& to) override;
  bool DeleteFile(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
  // The stream comes back wrapped, so its calls are logged too, under the
  // path it was opened with.
  std::unique_ptr<platform::Stream> OpenStream(const std::string& path,
                                               const std::string& mode) override;

 private:
  platform::FileSystem& m_inner;
  CallLog& m_log;
};

}  // namespace diagnostics
