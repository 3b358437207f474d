#include "platform/win32/Win32Processes.h"

#include <cstdlib>
#include <vector>

#include "platform/win32/Win32Windows.h"

namespace platform {

namespace {

HANDLE ToHandle(ProcessHandle process) { return reinterpret_cast<HANDLE>(process); }

}  // namespace

std::string Win32Processes::GetCommandLine() {
  const char* commandLine = ::GetCommandLineA();
  return commandLine != nullptr ? std::string(commandLine) : std::string();
}

bool Win32Processes::CreateProcess(const std::string& commandLine, int showWindow,
                                   StartedProcess* started) {
  // CreateProcessA may write into the command line, so it gets its own copy.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showWindow);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return false;
  }
  // The handles stay open: the caller may wait on them and never closes them.
  started->process = reinterpret_cast<ProcessHandle>(info.hProcess);
  started->thread = reinterpret_cast<ProcessHandle>(info.hThread);
  return true;
}

uint32_t Win32Processes::WinExec(const std::string& commandLine, int showWindow) {
  return ::WinExec(commandLine.c_str(), static_cast<UINT>(showWindow));
}

uint32_t Win32Processes::WaitForInputIdle(ProcessHandle process, uint32_t milliseconds) {
  return ::WaitForInputIdle(ToHandle(process), milliseconds);
}

bool Win32Processes::GetExitCodeProcess(ProcessHandle process, uint32_t* exitCode) {
  DWORD code = 0;
  if (!::GetExitCodeProcess(ToHandle(process), &code)) return false;
  *exitCode = code;
  return true;
}

MutexHandle Win32Processes::CreateNamedMutex(const std::string& name) {
  return reinterpret_cast<MutexHandle>(::CreateMutexA(nullptr, FALSE, name.c_str()));
}

void Win32Processes::Exit(int exitCode) { std::exit(exitCode); }

}  // namespace platform
