// The program's entry into its own logic, called by the platform's WinMain
// once the platform is set up. Returns the process exit code.
#pragma once

#include "platform/Platform.h"

int RunSetupProgram(platform::Platform& platform);
