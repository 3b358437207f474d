// The program's entry into its own logic, called by the platform's WinMain
// once the platform is set up. Returns the process exit code.
#pragma once

#include <string>

#include "app/QuietDesktop.h"
#include "platform/Platform.h"

// note receives the lines a quiet run has for the log; may be empty.
int RunSetupProgram(platform::Platform& platform, RunNote note = {});

// The file "/LOG=<file>" names on the process command line when it is an
// extended one; empty otherwise.
std::string LogFileSwitch(platform::System& system, const std::string& processCommandLine);
