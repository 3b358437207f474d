// Process calls, forwarded and logged. Exit writes the run's last line
// before the process ends.
#pragma once

#include "diagnostics/CallLog.h"
#include "platform/Processes.h"

namespace diagnostics {

class LoggedProcesses final : public platform::Processes {
 public:
  LoggedProcesses(platform::Processes& inner, CallLog& log) : m_inner(inner), m_log(log) {}

  std::string GetCommandLine() override;
  bool CreateProcess(const std::string& commandLine, int showWindow,
                     platform::StartedProcess* started) override;
  uint32_t WinExec(const std::string& commandLine, int showWindow) override;
  uint32_t WaitForInputIdle(platform::ProcessHandle process, uint32_t milliseconds) override;
  bool GetExitCodeProcess(platform::ProcessHandle process, uint32_t* exitCode) override;
  [[noreturn]] void Exit(int exitCode) override;

 private:
  platform::Processes& m_inner;
  CallLog& m_log;
};

}  // namespace diagnostics
