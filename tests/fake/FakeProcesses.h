// Process creation as Windows does it: an unquoted command line is searched
// blank by blank for an existing program ("C:\Program Files\x.exe" may start
// "C:\Program.exe"), the child inherits the current directory, and a started
// program can be given a run time (polls answered STILL_ACTIVE), an exit code,
// the time it takes to become input-idle and an action to run on the fake
// machine when it starts. A program's run is over once it has given its last
// STILL_ACTIVE answer. WaitForInputIdle takes virtual time: until the program
// is idle or over, at most the time-out.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fake/FakeFileSystem.h"
#include "fake/FakeSystem.h"
#include "fake/Journal.h"
#include "platform/Processes.h"

namespace fake {

// For idleAfter: a program that stays busy (never waits for input) until it ends.
constexpr uint32_t kNeverIdle = 0xFFFFFFFF;

struct ProgramBehaviour {
  int activePolls = 0;  // GetExitCodeProcess answers STILL_ACTIVE this many times
  uint32_t exitCode = 0;
  std::function<void()> onStart;
  // Milliseconds from the start until the program first waits for input (its
  // window is up); 0 for one without a message queue, which is never waited for.
  uint32_t idleAfter = 500;
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
  FakeProcesses(FakeFileSystem& files, FakeClock& clock, Journal& journal, LastError& lastError);

  // Test controls.
  void SetCommandLine(const std::string& line) { m_commandLine = line; }
  void SetBehaviour(const std::string& programPath, ProgramBehaviour behaviour);
  const std::vector<StartedProgram>& Started() const { return m_started; }
  // Another process holds a mutex of this name (another copy of the program).
  // The program's own mutexes end with its run: a later run on the same
  // machine is a later process.
  void HoldMutex(const std::string& name) { m_mutexes.insert(name); }
  // Another process with other rights holds it (an elevated copy, or another
  // user's): it cannot be opened.
  void HoldMutexWithOtherRights(const std::string& name) { m_deniedMutexes.insert(name); }

  // platform::Processes
  std::string GetCommandLine() override { return m_commandLine; }
  bool CreateProcess(const std::string& commandLine, int showWindow,
                     platform::StartedProcess* started) override;
  uint32_t WinExec(const std::string& commandLine, int showWindow) override;
  uint32_t WaitForInputIdle(platform::ProcessHandle process, uint32_t milliseconds) override;
  bool GetExitCodeProcess(platform::ProcessHandle process, uint32_t* exitCode) override;
  platform::MutexHandle CreateNamedMutex(const std::string& name) override;
  [[noreturn]] void Exit(int exitCode) override;

 private:
  // The program file Windows would start for this command line, or empty.
  std::string ResolveProgram(const std::string& commandLine) const;
  bool Start(const std::string& commandLine, int showWindow, bool viaWinExec);

  // The state of a started program, by process handle.
  struct Run {
    int remainingPolls = 0;
    uint64_t idleAt = 0;  // virtual time; UINT64_MAX for never
  };
  Run* RunOf(platform::ProcessHandle process);

  FakeFileSystem& m_files;
  FakeClock& m_clock;
  Journal& m_journal;
  LastError& m_lastError;
  std::string m_commandLine = "W2KSetup.exe";
  std::map<std::string, ProgramBehaviour> m_behaviours;  // by upper-cased program path
  std::vector<StartedProgram> m_started;
  std::vector<Run> m_runs;
  std::set<std::string> m_mutexes;  // held by others; names are case-sensitive
  std::set<std::string> m_deniedMutexes;
};

}  // namespace fake
