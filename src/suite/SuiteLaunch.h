// Starting the suite's own setup program, the hand-over file that tells it
// whether to install the driver afterwards, and the forwarding to the disc's
// general setup program on systems older than Windows 2000.
#pragma once

#include <string>

#include "platform/Platform.h"

// The suite setup program's path below the program directory: in "W2K-ME\"
// when that folder exists (it then becomes the current directory, inherited
// by the programs started afterwards), else in "WIN_ME\".
std::string SuiteSetupLaunchPath(platform::FileSystem& files, const std::string& programDirectory);

// Writes "QXISETUP.INI" in the Windows directory for the suite's setup
// program. The command is written as it is, unquoted: its reader takes it so.
void WriteHandOverFile(platform::Platform& platform, bool installDriver,
                       const std::string& command);

// Starts the suite's setup program without arguments and without waiting.
void LaunchSuiteSetup(platform::Processes& processes, const std::string& path);

// Starts the program directory's "Setup.exe" with " /AP", " /DRIVER" or no
// switch, derived from the upper-cased command line and the DriverOnly option.
void ForwardToDiscSetup(platform::Processes& processes, const std::string& programDirectory,
                        const std::string& upperCommandLine, uint32_t driverOnly);
