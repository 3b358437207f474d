// Where the diagnostic log's lines go: a file on Windows, a list in the tests.
#pragma once

#include <string>

namespace diagnostics {

class LogSink {
 public:
  virtual ~LogSink() = default;
  // Appends one line (without its line end). A line that cannot be written is
  // lost; the program goes on as it would without the log.
  virtual void Write(const std::string& line) = 0;
};

}  // namespace diagnostics
