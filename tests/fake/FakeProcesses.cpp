#include "fake/FakeProcesses.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "fake/PathText.h"
#include "platform/WinApi.h"

namespace fake {

namespace {
constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr uint32_t kWaitTimeout = 258;
constexpr uint32_t kWaitFailed = 0xFFFFFFFF;
constexpr uint64_t kNever = UINT64_MAX;
}  // namespace

FakeProcesses::FakeProcesses(FakeFileSystem& files, FakeClock& clock, Journal& journal,
                             LastError& lastError)
    : m_files(files), m_clock(clock), m_journal(journal), m_lastError(lastError) {}

FakeProcesses::Run* FakeProcesses::RunOf(platform::ProcessHandle process) {
  if (process < 0x1001 || process - 0x1001 >= m_runs.size()) return nullptr;
  return &m_runs[process - 0x1001];
}

void FakeProcesses::SetBehaviour(const std::string& programPath, ProgramBehaviour behaviour) {
  m_behaviours[Upper(m_files.Absolute(programPath))] = std::move(behaviour);
}

std::string FakeProcesses::ResolveProgram(const std::string& commandLine) const {
  auto existing = [this](std::string candidate) -> std::string {
    if (m_files.FileExists(candidate)) return m_files.Absolute(candidate);
    if (NameOf(candidate).find('.') == std::string::npos &&
        m_files.FileExists(candidate + ".exe")) {
      return m_files.Absolute(candidate + ".exe");
    }
    return std::string();
  };
  if (!commandLine.empty() && commandLine[0] == '"') {
    size_t close = commandLine.find('"', 1);
    return existing(
        commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  }
  // Unquoted: each blank may end the program name; the first existing file wins.
  for (size_t blank = commandLine.find(' ');; blank = commandLine.find(' ', blank + 1)) {
    std::string candidate = commandLine.substr(0, blank);
    std::string found = existing(candidate);
    if (!found.empty()) return found;
    if (blank == std::string::npos) return std::string();
  }
}

bool FakeProcesses::Start(const std::string& commandLine, int showWindow, bool viaWinExec) {
  std::string program = ResolveProgram(commandLine);
  m_journal.Add(std::string(viaWinExec ? "winexec " : "start ") + commandLine +
                (program.empty() ? " (not found)" : ""));
  if (program.empty()) {
    m_lastError.code = ERROR_FILE_NOT_FOUND;
    return false;
  }
  StartedProgram record;
  record.commandLine = commandLine;
  record.program = program;
  record.currentDirectory = m_files.GetCurrentDirectory();
  record.showWindow = showWindow;
  record.viaWinExec = viaWinExec;
  record.startedAt = m_clock.Now();
  m_started.push_back(record);
  ProgramBehaviour behaviour;
  auto it = m_behaviours.find(Upper(program));
  if (it != m_behaviours.end()) behaviour = it->second;
  m_runs.push_back({behaviour.activePolls, behaviour.idleAfter == kNeverIdle
                                               ? kNever
                                               : record.startedAt + behaviour.idleAfter});
  if (behaviour.onStart) behaviour.onStart();
  return true;
}

bool FakeProcesses::CreateProcess(const std::string& commandLine, int showWindow,
                                  platform::StartedProcess* started) {
  if (!Start(commandLine, showWindow, false)) return false;
  started->process = 0x1000 + m_started.size();
  started->thread = 0x2000 + m_started.size();
  return true;
}

uint32_t FakeProcesses::WinExec(const std::string& commandLine, int showWindow) {
  return Start(commandLine, showWindow, true) ? 33 : ERROR_FILE_NOT_FOUND;
}

uint32_t FakeProcesses::WaitForInputIdle(platform::ProcessHandle process, uint32_t milliseconds) {
  Run* run = RunOf(process);
  if (!run) {
    m_lastError.code = ERROR_INVALID_HANDLE;
    return kWaitFailed;
  }
  ++m_started[process - 0x1001].waitForInputIdleCalls;
  // A program that is idle already, or whose run is over, is not waited for;
  // once idle, a program counts as idle for good.
  const uint64_t now = m_clock.Now();
  if (run->remainingPolls == 0 || run->idleAt <= now) return 0;
  if (milliseconds != kInfinite && run->idleAt - now > milliseconds) {
    m_clock.Advance(milliseconds);
    return kWaitTimeout;
  }
  if (run->idleAt == kNever) {
    ADD_FAILURE() << "WaitForInputIdle without a time-out on "
                  << m_started[process - 0x1001].program
                  << ", which is never idle: the wait would last the whole run, which the fake "
                     "counts in polls, not time";
    return kWaitFailed;
  }
  m_clock.Advance(run->idleAt - now);
  return 0;
}

bool FakeProcesses::GetExitCodeProcess(platform::ProcessHandle process, uint32_t* exitCode) {
  Run* run = RunOf(process);
  if (!run) {
    m_lastError.code = ERROR_INVALID_HANDLE;
    return false;
  }
  const size_t index = process - 0x1001;
  ++m_started[index].exitCodeQueries;
  if (run->remainingPolls > 0) {
    --run->remainingPolls;
    *exitCode = STILL_ACTIVE;
    return true;
  }
  auto it = m_behaviours.find(Upper(m_started[index].program));
  *exitCode = it == m_behaviours.end() ? 0 : it->second.exitCode;
  return true;
}

platform::MutexHandle FakeProcesses::CreateNamedMutex(const std::string& name) {
  // The program's own mutex goes when its run ends, so only others' count.
  if (m_deniedMutexes.count(name)) {
    m_lastError.code = ERROR_ACCESS_DENIED;
    return 0;
  }
  m_lastError.code = m_mutexes.count(name) ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  return 0x700;
}

void FakeProcesses::Exit(int exitCode) {
  m_journal.Add("exit " + std::to_string(exitCode));
  throw ProcessExit{exitCode};
}

}  // namespace fake
