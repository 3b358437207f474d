#include "diagnostics/CallLog.h"

#include "observation/ValueText.h"

namespace diagnostics {

using observation::Effect;

bool CallLog::Writes(const observation::SeamCall& call) {
  if (call.Replaced() && !call.Made()) return false;
  switch (call.GetMethod().effect) {
    case Effect::Query:
    case Effect::Screen:
      return false;
    case Effect::Lookup:
      return call.Failed();
    case Effect::Open:
    case Effect::Change:
    case Effect::Act:
    case Effect::End:
      return true;
  }
  return true;
}

void CallLog::After(observation::SeamCall& call) {
  if (!Writes(call)) return;
  Write(observation::Describe(call));
  if (call.GetMethod().effect != Effect::End) return;
  if (const int* exitCode = call.Argument<int>(0)) End(*exitCode);
}

void CallLog::Write(const std::string& text) {
  // Writing a file may set the last-error code.
  const uint32_t lastError = m_system.GetLastError();
  std::string stamp = std::to_string(m_clock.GetTickCount());
  if (stamp.size() < 10) stamp.insert(0, 10 - stamp.size(), ' ');
  m_sink.Write(stamp + " " + text);
  m_system.SetLastError(lastError);
}

void CallLog::End(int exitCode) {
  Write("W2KSetup end: exit code " + observation::Code(static_cast<uint32_t>(exitCode)));
}

}  // namespace diagnostics
