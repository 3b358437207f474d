// The diagnostic log, the first observer of the seam: one line per step a
// support engineer looks for, each starting with the tick count in
// milliseconds. Writing a line leaves the thread's last-error code as it was,
// so the program reads what it would read without the log. The clock and the
// system are the real ones: the log's own calls are not observed.
#pragma once

#include <string>

#include "diagnostics/LogSink.h"
#include "observation/SeamCall.h"
#include "platform/SystemServices.h"

namespace diagnostics {

class CallLog final : public observation::CallObserver {
 public:
  CallLog(LogSink& sink, platform::Clock& clock, platform::System& system)
      : m_sink(sink), m_clock(clock), m_system(system) {}

  // Whether a call gets a line: one that changes the machine, acts or opens a
  // handle always, a lookup when it failed. Queries, which thousands of calls
  // are (a byte test per character of a path), and the updates of the
  // program's own windows never; nor a call that another observer answered
  // before it was made (a quiet run's box), whose observer says what it did.
  static bool Writes(const observation::SeamCall& call);

  void After(observation::SeamCall& call) override;
  // A line; the same line again right after it is only counted (a lookup
  // that polls), and a line after the run says how many and over how long.
  void Write(const std::string& text);
  // The run's last line.
  void End(int exitCode);

 private:
  void WriteStamped(uint32_t tick, const std::string& text);
  void EndRepeats();

  LogSink& m_sink;
  platform::Clock& m_clock;
  platform::System& m_system;
  struct Repeats {
    std::string text;
    int count = 0;
    uint32_t first = 0;
    uint32_t last = 0;
  } m_repeats;
};

}  // namespace diagnostics
