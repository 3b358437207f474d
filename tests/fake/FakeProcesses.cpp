#include "fake/FakeProcesses.h"

#include "fake/PathText.h"
#include "platform/WinApi.h"

namespace fake {

FakeProcesses::FakeProcesses(FakeFileSystem& files, Journal& journal, LastError& lastError)
    : m_files(files), m_journal(journal), m_lastError(lastError) {}

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
  m_started.push_back(record);
  ProgramBehaviour behaviour;
  auto it = m_behaviours.find(Upper(program));
  if (it != m_behaviours.end()) behaviour = it->second;
  m_remainingPolls.push_back(behaviour.activePolls);
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

uint32_t FakeProcesses::WaitForInputIdle(platform::ProcessHandle process, uint32_t) {
  size_t index = process - 0x1001;
  if (process < 0x1001 || index >= m_started.size()) return 0xFFFFFFFF;
  ++m_started[index].waitForInputIdleCalls;
  return 0;
}

bool FakeProcesses::GetExitCodeProcess(platform::ProcessHandle process, uint32_t* exitCode) {
  size_t index = process - 0x1001;
  if (process < 0x1001 || index >= m_started.size()) {
    m_lastError.code = ERROR_INVALID_HANDLE;
    return false;
  }
  ++m_started[index].exitCodeQueries;
  if (m_remainingPolls[index] > 0) {
    --m_remainingPolls[index];
    *exitCode = STILL_ACTIVE;
    return true;
  }
  auto it = m_behaviours.find(Upper(m_started[index].program));
  *exitCode = it == m_behaviours.end() ? 0 : it->second.exitCode;
  return true;
}

void FakeProcesses::Exit(int exitCode) {
  m_journal.Add("exit " + std::to_string(exitCode));
  throw ProcessExit{exitCode};
}

}  // namespace fake
