// The diagnostic log: a platform whose every call is forwarded to the real one
// and logged, one line per call. WinMain chooses it when a log is asked for;
// the program's logic runs on it unchanged.
#pragma once

#include "diagnostics/CallLog.h"
#include "diagnostics/LogSink.h"
#include "diagnostics/LoggedDesktop.h"
#include "diagnostics/LoggedDeviceSetup.h"
#include "diagnostics/LoggedFileSystem.h"
#include "diagnostics/LoggedProcesses.h"
#include "diagnostics/LoggedProfileFiles.h"
#include "diagnostics/LoggedRegistry.h"
#include "diagnostics/LoggedSystemServices.h"
#include "platform/Platform.h"

namespace diagnostics {

// The version the log names; the version resource (res/app.rc) says 2.0.0.0.
constexpr const char* kProgramVersion = "2.0";

class LoggedPlatform {
 public:
  LoggedPlatform(platform::Platform& inner, LogSink& sink);
  LoggedPlatform(const LoggedPlatform&) = delete;
  LoggedPlatform& operator=(const LoggedPlatform&) = delete;

  platform::Platform& platform() { return m_platform; }

  // The run's first line: version, command line, Windows version and program
  // directory, read from the real platform without being logged.
  void Start();
  // The run's last line, with the exit code.
  void End(int exitCode) { m_log.End(exitCode); }

 private:
  platform::Platform& m_inner;
  CallLog m_log;
  LoggedRegistry m_registry;
  LoggedProfileFiles m_profiles;
  LoggedFileSystem m_files;
  LoggedDesktop m_desktop;
  LoggedProcesses m_processes;
  LoggedDeviceSetup m_devices;
  LoggedClock m_clock;
  LoggedSystem m_system;
  LoggedSecurity m_security;
  platform::Platform m_platform;
};

}  // namespace diagnostics
