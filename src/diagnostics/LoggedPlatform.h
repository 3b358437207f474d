// The diagnostic log on a platform: the observed platform with the log as its
// observer, after another one when given (a quiet run's). The program's logic
// runs on it unchanged.
#pragma once

#include "diagnostics/CallLog.h"
#include "diagnostics/LogSink.h"
#include "observation/ObservedPlatform.h"
#include "platform/Platform.h"

namespace diagnostics {

class LoggedPlatform {
 public:
  // first, when given, sees each call before the log, and may answer it
  // before it is made.
  LoggedPlatform(platform::Platform& inner, LogSink& sink,
                 observation::CallObserver* first = nullptr)
      : m_inner(inner),
        m_log(sink, inner.clock, inner.system),
        m_both(first != nullptr ? *first : m_nothing, m_log),
        m_observed(inner, m_both) {}

  platform::Platform& platform() { return m_observed.platform(); }

  // The run's first line: version, command line, Windows version and program
  // directory, read from the real platform without being observed.
  void Start();
  // The run's last line, with the exit code.
  void End(int exitCode) { m_log.End(exitCode); }
  // A line of the program's own, for what no call shows.
  void Write(const std::string& text) { m_log.Write(text); }

 private:
  class NoObserver final : public observation::CallObserver {
   public:
    void After(observation::SeamCall&) override {}
  };

  platform::Platform& m_inner;
  CallLog m_log;
  NoObserver m_nothing;
  observation::ObserverPair m_both;
  observation::ObservedPlatform m_observed;
};

}  // namespace diagnostics
