// The choice of what one run of the program does, from the Windows version,
// the options file "setup.ini" and the upper-cased command line.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ProfileFiles.h"

// The options of "setup.ini" [InstallOption]; a missing file, section or key
// gives 0.
struct InstallOptions {
  uint32_t driverOnly = 0;
  uint32_t webSetup = 0;
  uint32_t installWdmDriver = 0;
};

InstallOptions ReadInstallOptions(platform::ProfileFiles& profiles, const std::string& setupIni);

enum class StartPath {
  ForwardToDiscSetup,  // older than Windows 2000: the disc's general "Setup.exe"
  SuiteOnly,           // "/AP": the application suite
  DriverOnly,          // "/DRIVER" or DriverOnly: the driver from the disc
  MainDialog,          // the choice between suite and driver
  WdmOptionsDialog,    // WebSetup 1 with InstallWDMDriver: the options dialog
  Nothing,             // WebSetup 1 without InstallWDMDriver
  WebPackageDriver,    // any other WebSetup: the driver from a web package
};

// The first matching row wins: not Windows 2000 or later; then, with WebSetup
// 0, the applications switch, the driver switch or DriverOnly, else the main
// dialog; WebSetup 1 (options dialog or nothing) and other values ignore the
// command line.
StartPath ChooseStartPath(bool windows2000OrLater, const InstallOptions& options,
                          const std::string& upperCommandLine);
