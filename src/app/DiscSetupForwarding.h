// Systems older than Windows 2000 get the disc's general setup program, which
// lies beside this one as "Setup.exe", with the switch this program got.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Processes.h"

// Starts the program directory's "Setup.exe" with " /AP", " /DRIVER" or no
// switch, derived from the upper-cased command line and the DriverOnly option.
// Returns what WinExec returned (above 31 when the program started).
uint32_t ForwardToDiscSetup(platform::Processes& processes, const std::string& programDirectory,
                            const std::string& upperCommandLine, uint32_t driverOnly);
