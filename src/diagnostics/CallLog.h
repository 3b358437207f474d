// The diagnostic log as the decorators write it: each line starts with the
// tick count in milliseconds, and writing a line leaves the thread's
// last-error code as it was, so the program reads what it would read without
// the log. The clock and the system are the undecorated ones: the log's own
// calls are not logged.
#pragma once

#include <cstdint>
#include <string>

#include "diagnostics/CallLine.h"
#include "diagnostics/LogSink.h"
#include "platform/SystemServices.h"

namespace diagnostics {

class CallLog {
 public:
  CallLog(LogSink& sink, platform::Clock& clock, platform::System& system)
      : m_sink(sink), m_clock(clock), m_system(system) {}

  // The last-error code as the call just made left it.
  uint32_t LastError() { return m_system.GetLastError(); }
  void Write(const std::string& text);
  void Write(const CallLine& line) { Write(line.str()); }
  // The run's last line.
  void End(int exitCode);

 private:
  LogSink& m_sink;
  platform::Clock& m_clock;
  platform::System& m_system;
};

}  // namespace diagnostics
