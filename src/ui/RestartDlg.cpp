#include "ui/RestartDlg.h"

#include "common/Privileges.h"
#include "platform/WinApi.h"

CRestartDlg::CRestartDlg(platform::Platform& platform, CWnd* parent)
    : CDialog(platform, IDD, parent) {}

bool CRestartDlg::Offer() {
  DoModal();
  return m_bRestartInitiated;
}

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
    // Neither result is shown; the installation ends either way, and its exit
    // code tells whether the restart is under way.
    EnablePrivilege(m_platform, "SeShutdownPrivilege");
    m_bRestartInitiated = m_platform.security.ExitWindowsEx(EWX_REBOOT, 0);
  }
  CDialog::OnOK();
}
