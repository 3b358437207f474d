// The program's entry into its own logic, called by WinMain once the Win32
// platform is set up and the command line read.
#pragma once

#include "app/CommandSwitches.h"
#include "diagnostics/LogSink.h"
#include "platform/Platform.h"

// Runs the program for this command line on the platform: observed, when a
// log is given or the run is quiet, by one observed platform that writes the
// log and keeps a quiet run's windows off the screen. Returns the process
// exit code.
int RunSetupProgram(platform::Platform& platform, const RunSwitches& switches,
                    diagnostics::LogSink* log);
