// CSetupDlg: the main selection dialog, in which the user chooses between
// installing the application suite and installing the device driver.
#pragma once

#include <string>

#include "res/resource.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/WinApp.h"

class CSetupDlg : public CDialog {
 public:
  enum { IDD = IDD_SETUP };
  // Loads the application icon through app.
  explicit CSetupDlg(CWinApp& app, CWnd* parent = nullptr);

  std::string m_szSourceDir;   // the program directory, ending in a backslash
  bool m_bNoRestart = false;   // a driver installation ends without the restart prompt
  int m_bSuiteSetupFound = 0;  // the suite's setup program was there at the start
  CStatic m_stcWait;           // 1003, "Please wait ....."
  CButton m_btnOK;
  CButton m_chkDriver;  // 1002, "Install Device Driver"
  CButton m_chkApps;    // 1001, "Install Applications"
  platform::IconHandle m_hIcon = 0;

  // The exit code of the work OK did (common/ExitCodes.h).
  int ExitCode() const { return m_nExitCode; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  // Adds the about item to the system menu, sets the icon, checks both boxes
  // and looks for the suite's setup program; without it the process ends
  // before the dialog shows.
  BOOL OnInitDialog() override;
  // Runs the chosen work (suite setup, driver installation), then ends.
  void OnOK() override;
  bool OnCommand(int controlId, int notifyCode) override;
  void OnSysCommand(uint32_t id, intptr_t lParam) override;
  // Draws the icon when the dialog is minimised.
  void OnPaint() override;
  platform::IconHandle OnQueryDragIcon() override;
  void OnClickedInstallApps();
  void OnClickedInstallDriver();

 private:
  void EnableOkWhileABoxIsChecked();

  // Set once OnOK starts its work. The work blocks for a long time without
  // pumping messages, but the message boxes and the restart prompt run
  // message loops of their own; clicks queued meanwhile must neither run the
  // work a second time nor end the dialog in the middle of it.
  bool m_bWorking = false;
  int m_nExitCode = 0;
};
