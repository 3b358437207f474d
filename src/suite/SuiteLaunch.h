// Starting the suite's own setup program and the hand-over file that tells it
// whether to install the driver afterwards.
#pragma once

#include <string>

#include "platform/Platform.h"

// What the suite's setup program is asked to do after it has run.
struct HandOver {
  bool installDriver = false;
  // The program that installs the driver, written unquoted: its reader takes
  // it so.
  std::string command;
};

// Makes "W2K-ME\" of the program directory the current directory, inherited
// by the programs started afterwards, when it exists; returns the suite setup
// program's path in that folder then, else in "WIN_ME\".
std::string EnterSuiteFolderAndGetSetupPath(platform::FileSystem& files,
                                            const std::string& programDirectory);

// Writes "QXISETUP.INI" in the Windows directory for the suite's setup program.
void WriteHandOverFile(platform::Platform& platform, const HandOver& handOver);

// Starts the suite's setup program without arguments and without waiting.
void LaunchSuiteSetup(platform::Processes& processes, const std::string& path);

// Finds the suite's setup program below the program directory and starts it,
// after writing the hand-over file when one is given. When it is missing,
// tells the user in a message box owned by messageOwner (0: none) and writes
// nothing. True when the setup program was started.
bool StartSuiteSetup(platform::Platform& platform, const std::string& programDirectory,
                     platform::Hwnd messageOwner, const HandOver* handOver);
