#include "diagnostics/LoggedProcesses.h"

#include <cstdlib>

namespace diagnostics {

namespace {

constexpr uint32_t kWaitFailed = 0xFFFFFFFF;

}  // namespace

std::string LoggedProcesses::GetCommandLine() {
  std::string result = m_inner.GetCommandLine();
  m_log.Write(CallLine("Processes.GetCommandLine").ReturnsText(result));
  return result;
}

bool LoggedProcesses::CreateProcess(const std::string& commandLine, int showWindow,
                                    platform::StartedProcess* started) {
  const bool ok = m_inner.CreateProcess(commandLine, showWindow, started);
  const uint32_t error = m_log.LastError();
  CallLine line("Processes.CreateProcess");
  line.Text(commandLine).Number(showWindow, "show").Returns(ok);
  if (ok) line.Out("process", Hex(started->process)).Out("thread", Hex(started->thread));
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

uint32_t LoggedProcesses::WinExec(const std::string& commandLine, int showWindow) {
  // The result is the error code when it is 31 or less.
  const uint32_t result = m_inner.WinExec(commandLine, showWindow);
  m_log.Write(CallLine("Processes.WinExec")
                  .Text(commandLine)
                  .Number(showWindow, "show")
                  .ReturnsNumber(result));
  return result;
}

uint32_t LoggedProcesses::WaitForInputIdle(platform::ProcessHandle process, uint32_t milliseconds) {
  const uint32_t result = m_inner.WaitForInputIdle(process, milliseconds);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("Processes.WaitForInputIdle")
                  .Hex(process)
                  .Number(milliseconds, "timeout")
                  .ReturnsHex(result)
                  .ErrorIf(result == kWaitFailed, error));
  return result;
}

bool LoggedProcesses::GetExitCodeProcess(platform::ProcessHandle process, uint32_t* exitCode) {
  const bool ok = m_inner.GetExitCodeProcess(process, exitCode);
  const uint32_t error = m_log.LastError();
  CallLine line("Processes.GetExitCodeProcess");
  line.Hex(process).Returns(ok);
  if (ok) line.Out("exitCode", Code(*exitCode));
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

void LoggedProcesses::Exit(int exitCode) {
  m_log.Write(CallLine("Processes.Exit").Number(exitCode).Returns());
  m_log.End(exitCode);
  m_inner.Exit(exitCode);
  std::abort();  // not reached: the compiler does not carry [[noreturn]] through a virtual call
}

}  // namespace diagnostics
