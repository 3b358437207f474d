// Processes: starting programs, waiting for them, the own command line and exit.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Handles.h"

namespace platform {

struct StartedProcess {
  ProcessHandle process = 0;
  ProcessHandle thread = 0;
};

class Processes {
 public:
  virtual ~Processes() = default;

  // GetCommandLineA: the whole command line, program name included.
  virtual std::string GetCommandLine() = 0;
  // CreateProcessA with no application name, no inheritance, no creation
  // flags, the caller's environment and current directory, and a STARTUPINFO
  // of 68 bytes with STARTF_USESHOWWINDOW and the given show state. Handles
  // are left open, as the program never uses them after the wait.
  virtual bool CreateProcess(const std::string& commandLine, int showWindow,
                             StartedProcess* started) = 0;
  // WinExec.
  virtual uint32_t WinExec(const std::string& commandLine, int showWindow) = 0;
  virtual uint32_t WaitForInputIdle(ProcessHandle process, uint32_t milliseconds) = 0;
  virtual bool GetExitCodeProcess(ProcessHandle process, uint32_t* exitCode) = 0;
  // CreateMutexA with default security, not owned, under this name: 0 on
  // failure. When a mutex of that name already exists (another process holds
  // it), its handle is returned and the last-error code is
  // ERROR_ALREADY_EXISTS. The handle stays open until the process ends.
  virtual MutexHandle CreateNamedMutex(const std::string& name) = 0;
  // exit() of the C runtime: registered clean-up runs, then the process ends.
  [[noreturn]] virtual void Exit(int exitCode) = 0;
};

}  // namespace platform
