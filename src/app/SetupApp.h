// CSetupApp: the application object. Its start routine applies the defaults
// every run applies, then chooses one path and runs it; no path returns true,
// so the program ends when the path is done.
#pragma once

#include <string>

#include "app/StartPath.h"
#include "driver/DriverInstallOptions.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/WinApp.h"

class CSetupApp : public CWinApp {
 public:
  explicit CSetupApp(platform::Platform& platform);

  BOOL InitInstance() override;
  // The exit code of the path the start routine took.
  int ExitInstance() override;

  // 1 on Windows NT 5.0 or later (Windows 2000 and later), else 0.
  int m_bWin2000 = 0;

 private:
  // Takes the one-setup-at-a-time mutex; true when another copy holds it.
  bool AnotherSetupIsRunning();
  int InstallDriver(const DriverInstallOptions& options, const std::string& programDirectory);
  // Returns the run's exit code: Cancel's, or the one of the work the dialog did.
  template <typename Dialog>
  int RunMainDialog(Dialog& dialog);

  int m_nExitCode = 0;
};

// Windows NT 5.0 or later.
bool IsWindows2000OrLater(const platform::OsVersion& version);
