#include "main/LogFile.h"

#include <string>

#include "platform/win32/Win32Windows.h"

namespace {

// The value of an environment variable; empty when it is not set.
std::string EnvironmentVariable(const char* name) {
  std::string value(MAX_PATH, '\0');
  DWORD length = ::GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
  if (length >= value.size()) {  // too small: length is the size needed
    value.resize(length);
    length = ::GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (length >= value.size()) return std::string();
  }
  value.resize(length);
  return value;
}

}  // namespace

std::unique_ptr<LogFile> LogFile::OpenFromEnvironment() {
  const DWORD lastError = ::GetLastError();
  const std::string path = EnvironmentVariable("W2KSETUP_LOG");
  ::SetLastError(lastError);
  return Open(path);
}

std::unique_ptr<LogFile> LogFile::Open(const std::string& path) {
  const DWORD lastError = ::GetLastError();
  std::unique_ptr<LogFile> log;
  if (!path.empty()) {
    if (FILE* file = std::fopen(path.c_str(), "ab")) log = std::make_unique<LogFile>(file);
  }
  ::SetLastError(lastError);
  return log;
}

LogFile::~LogFile() { std::fclose(m_file); }

void LogFile::Write(const std::string& line) {
  if (m_failed) return;
  const std::string text = line + "\r\n";
  m_failed =
      std::fwrite(text.data(), 1, text.size(), m_file) != text.size() || std::fflush(m_file) != 0;
}
