#include "ui/RestartDlg.h"

#include "platform/WinApi.h"

CRestartDlg::CRestartDlg(platform::Platform& platform, CWnd* parent)
    : CDialog(platform, IDD, parent) {}

void CRestartDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_RESTART_NOW, m_btnRestartNow);
  DDX_Control(pDX, IDC_RESTART_LATER, m_btnRestartLater);
}

BOOL CRestartDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_btnRestartNow.SetCheck(BST_CHECKED);
  return 1;
}

void CRestartDlg::OnOK() {
  if (m_btnRestartNow.GetCheck() == BST_CHECKED) {
    // Without the force flag: programs that refuse to close stop the restart.
    // Neither result is reported; the installation ends either way.
    EnablePrivilege(m_platform, "SeShutdownPrivilege");
    m_platform.security.ExitWindowsEx(EWX_REBOOT, 0);
  }
  CDialog::OnOK();
}

BOOL EnablePrivilege(platform::Platform& platform, const char* name) {
  platform::TokenHandle token = 0;
  if (!platform.security.OpenProcessTokenForAdjust(&token)) {
    // A system without access tokens has nothing to enable.
    return platform.system.GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? 1 : 0;
  }
  platform::Luid luid;
  if (!platform.security.LookupPrivilegeValue(name, &luid)) {
    platform.security.CloseHandle(token);
    return 0;
  }
  // A privilege the token does not hold still "succeeds" here; that is not
  // looked at, as the restart request reports it anyway.
  BOOL enabled = platform.security.EnableTokenPrivilege(token, luid) ? 1 : 0;
  platform.security.CloseHandle(token);
  return enabled;
}
