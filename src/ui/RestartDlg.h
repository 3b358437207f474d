// CRestartDlg: the last screen of every driver installation, offering to
// restart Windows now or later.
#pragma once

#include "res/resource.h"
#include "ui/framework/Dialog.h"

class CRestartDlg : public CDialog {
 public:
  enum { IDD = IDD_RESTART };
  explicit CRestartDlg(platform::Platform& platform, CWnd* parent = nullptr);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  // Selects "restart now", so that OK alone restarts.
  BOOL OnInitDialog() override;
  // Requests the restart when "restart now" is selected, then closes.
  void OnOK() override;

 private:
  CButton m_btnRestartNow;
  CButton m_btnRestartLater;
};

// Enables one privilege, by name, in the current process's token. Nonzero on
// success; a system without access tokens counts as success.
BOOL EnablePrivilege(platform::Platform& platform, const char* name);
