#include "diagnostics/CallLog.h"

namespace diagnostics {

void CallLog::Write(const std::string& text) {
  // Writing a file may set the last-error code.
  const uint32_t lastError = m_system.GetLastError();
  std::string stamp = std::to_string(m_clock.GetTickCount());
  if (stamp.size() < 10) stamp.insert(0, 10 - stamp.size(), ' ');
  m_sink.Write(stamp + " " + text);
  m_system.SetLastError(lastError);
}

void CallLog::End(int exitCode) {
  Write("W2KSetup end: exit code " + Code(static_cast<uint32_t>(exitCode)));
}

}  // namespace diagnostics
