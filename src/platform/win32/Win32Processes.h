// Processes on the Win32 process functions and the C runtime's exit.
#pragma once

#include "platform/Processes.h"

namespace platform {

class Win32Processes final : public Processes {
 public:
  std::string GetCommandLine() override;
  bool CreateProcess(const std::string& commandLine, int showWindow,
                     StartedProcess* started) override;
  uint32_t WinExec(const std::string& commandLine, int showWindow) override;
  uint32_t WaitForInputIdle(ProcessHandle process, uint32_t milliseconds) override;
  bool GetExitCodeProcess(ProcessHandle process, uint32_t* exitCode) override;
  MutexHandle CreateNamedMutex(const std::string& name) override;
  [[noreturn]] void Exit(int exitCode) override;
};

}  // namespace platform
