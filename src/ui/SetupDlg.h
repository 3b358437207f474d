// CSetupDlg: the main selection dialog, in which the user chooses between
// installing the application suite and installing the device driver.
#pragma once

#include "res/resource.h"
#include "ui/framework/Dialog.h"

class CSetupDlg : public CDialog {
 public:
  enum { IDD = IDD_SETUP };
  explicit CSetupDlg(platform::Platform& platform, CWnd* parent = nullptr);

  // The exit code of the work OK did (common/ExitCodes.h).
  int ExitCode() const { return m_nExitCode; }

 private:
  int m_nExitCode = 0;
};
