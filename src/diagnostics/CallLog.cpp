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
    case Effect::Note:
    case Effect::End:
      return true;
  }
  return true;
}

void CallLog::After(observation::SeamCall& call) {
  if (!Writes(call)) return;
  const std::string* note = call.Argument<std::string>(0);
  Write(call.GetMethod().effect == Effect::Note && note ? *note : observation::Describe(call));
  if (call.GetMethod().effect != Effect::End) return;
  if (const int* exitCode = call.Argument<int>(0)) End(*exitCode);
}

void CallLog::Write(const std::string& text) {
  // Writing a file may set the last-error code.
  const uint32_t lastError = m_system.GetLastError();
  const uint32_t now = m_clock.GetTickCount();
  if (m_repeats.count > 0 && text == m_repeats.text) {
    ++m_repeats.count;
    m_repeats.last = now;
  } else {
    EndRepeats();
    WriteStamped(now, text);
    m_repeats = {text, 1, now, now};
  }
  m_system.SetLastError(lastError);
}

void CallLog::EndRepeats() {
  if (m_repeats.count > 1) {
    WriteStamped(m_repeats.last, "(the line above " + std::to_string(m_repeats.count) +
                                     " times in all, over " +
                                     std::to_string(m_repeats.last - m_repeats.first) + " ms)");
  }
  m_repeats.count = 0;
}

void CallLog::WriteStamped(uint32_t tick, const std::string& text) {
  std::string stamp = std::to_string(tick);
  if (stamp.size() < 10) stamp.insert(0, 10 - stamp.size(), ' ');
  m_sink.Write(stamp + " " + text);
}

void CallLog::End(int exitCode) {
  Write("W2KSetup end: exit code " + observation::Code(static_cast<uint32_t>(exitCode)));
}

}  // namespace diagnostics
