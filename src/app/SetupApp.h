// CSetupApp: the application object. Its start routine applies the defaults
// every run applies, then chooses one path and runs it; no path returns true,
// so the program ends when the path is done.
#pragma once

#include <string>

#include "app/CommandSwitches.h"
#include "app/QuietDesktop.h"
#include "app/StartPath.h"
#include "driver/DriverInstallOptions.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/WinApp.h"

class CSetupApp : public CWinApp {
 public:
  // note receives the lines a quiet run writes into the log in place of the
  // windows it does not show, and why a quiet run did nothing; may be empty.
  explicit CSetupApp(platform::Platform& platform, RunNote note = {});

  BOOL InitInstance() override;
  // The exit code of the path the start routine took.
  int ExitInstance() override;

  // 1 on Windows NT 5.0 or later (Windows 2000 and later), else 0.
  int m_bWin2000 = 0;

 private:
  // Takes the one-setup-at-a-time mutex; true when another copy holds it.
  bool AnotherSetupIsRunning();
  // Everything after the logon switch and the command line's own answers;
  // returns the exit code. platform is the quiet one in a quiet run.
  int RunChosenPath(platform::Platform& platform, const RunSwitches& switches,
                    const std::string& commandLine);
  int InstallDriver(platform::Platform& platform, const DriverInstallOptions& options,
                    const std::string& programDirectory, bool noRestart);
  // Returns the run's exit code: Cancel's, or the one of the work the dialog did.
  template <typename Dialog>
  int RunMainDialog(Dialog& dialog);

  // A line for the log, when there is one.
  void Note(const std::string& line);

  int m_nExitCode = 0;
  RunNote m_note;
};
