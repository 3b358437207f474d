// CSetupApp: the application object. Its start routine applies the defaults
// every run applies, then chooses one path and runs it; no path returns true,
// so the program ends when the path is done.
#pragma once

#include <string>

#include "app/CommandSwitches.h"
#include "app/QuietRun.h"
#include "app/StartPath.h"
#include "driver/DriverInstallOptions.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/WinApp.h"

class CSetupApp : public CWinApp {
 public:
  // switches: the command line as ReadCommandLine read it; m_lpCmdLine holds
  // its upper-cased text. A quiet run is made on a platform that keeps its
  // windows off the screen (RunSetupProgram). note receives why a quiet run
  // did nothing, for the log; may be empty.
  CSetupApp(platform::Platform& platform, RunSwitches switches, RunNote note = {});

  BOOL InitInstance() override;
  // The exit code of the path the start routine took.
  int ExitInstance() override;

  // 1 on Windows NT 5.0 or later (Windows 2000 and later), else 0.
  int m_bWin2000 = 0;

 private:
  // Takes the one-setup-at-a-time mutex; true when another copy holds it.
  bool AnotherSetupIsRunning();
  // Everything after the logon switch and the command line's own answers;
  // returns the exit code.
  int RunChosenPath(const std::string& commandLine);
  int InstallDriver(const DriverInstallOptions& options, const std::string& programDirectory);
  // "/UNINSTALL": the driver taken off again, on Windows 2000 and later.
  int RunRemoval();
  // Returns the run's exit code: Cancel's, or the one of the work the dialog did.
  template <typename Dialog>
  int RunMainDialog(Dialog& dialog);

  // A line for the log, when there is one.
  void Note(const std::string& line);

  int m_nExitCode = 0;
  RunSwitches m_switches;
  RunNote m_note;
};
