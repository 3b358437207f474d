// The diagnostic log's file, named by the environment variable W2KSETUP_LOG:
// appended to through the C runtime and flushed after every line, so a run
// that ends abruptly keeps what it logged.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "diagnostics/LogSink.h"

class LogFile final : public diagnostics::LogSink {
 public:
  // The file W2KSETUP_LOG names, opened for appending; null when the variable
  // is not set or the file does not open. The last-error code is left as it
  // was, so a run without a log starts exactly as before.
  static std::unique_ptr<LogFile> OpenFromEnvironment();
  // The same for a file named on the command line.
  static std::unique_ptr<LogFile> Open(const std::string& path);

  explicit LogFile(FILE* file) : m_file(file) {}
  ~LogFile() override;
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // After a line that cannot be written, nothing more is written.
  void Write(const std::string& line) override;

 private:
  FILE* m_file;
  bool m_failed = false;
};
