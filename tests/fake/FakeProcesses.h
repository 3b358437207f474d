// Process creation as Windows does it: an unquoted command line is searched
// blank by blank for an existing program ("C:\Program Files\x.exe" may start
// "C:\Program.exe"), the child inherits the current directory, and a started
// program can be given a run time (polls answered STILL_ACTIVE), an exit code
// and an action to run on the fake machine when it starts.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fake/FakeFileSystem.h"
#include "fake/Journal.h"
#include "platform/Processes.h"

namespace fake {

struct ProgramBehaviour {
  int activePolls = 0;  // GetExitCodeProcess answers STILL_ACTIVE this many times
  uint32_t exitCode = 0;
  std::function<void()> onStart;
};

struct StartedProgram {
  std::string commandLine;
  std::string program;  // the program file that was started
  std::string currentDirectory;
  int showWindow = 0;
  bool viaWinExec = false;
  uint64_t startedAt = 0;
  int waitForInputIdleCalls = 0;
  int exitCodeQueries = 0;
};

class FakeProcesses : public platform::Processes {
 public:
  FakeProcesses(FakeFileSystem& files, Journal& journal, LastError& lastError);

  // Test controls.
  void SetCommandLine(const std::string& line) { m_commandLine = line; }
  void SetBehaviour(const std::string& programPath, ProgramBehaviour behaviour);
  const std::vector<StartedProgram>& Started() const { return m_started; }

  // platform::Processes
  std::string GetCommandLine() override { return m_commandLine; }
  bool CreateProcess(const std::string& commandLine, int showWindow,
                     platform::StartedProcess* started) override;
  uint32_t WinExec(const std::string& commandLine, int showWindow) override;
  uint32_t WaitForInputIdle(platform::ProcessHandle process, uint32_t milliseconds) override;
  bool GetExitCodeProcess(platform::ProcessHandle process, uint32_t* exitCode) override;
  [[noreturn]] void Exit(int exitCode) override;

 private:
  // The program file Windows would start for this command line, or empty.
  std::string ResolveProgram(const std::string& commandLine) const;
  bool Start(const std::string& commandLine, int showWindow, bool viaWinExec);

  FakeFileSystem& m_files;
  Journal& m_journal;
  LastError& m_lastError;
  std::string m_commandLine = "W2KSetup.exe";
  std::map<std::string, ProgramBehaviour> m_behaviours;  // by upper-cased program path
  std::vector<StartedProgram> m_started;
  std::vector<int> m_remainingPolls;
};

}  // namespace fake
