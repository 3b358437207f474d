#include "ui/SetupDlg.h"

#include "common/ExitCodes.h"
#include "common/Paths.h"
#include "common/ProgramDirectory.h"
#include "common/SharedNames.h"
#include "driver/InstallDriverPackage.h"
#include "platform/WinApi.h"
#include "suite/SuiteClosing.h"
#include "suite/SuiteLaunch.h"
#include "ui/AboutDlg.h"
#include "ui/RestartDlg.h"

namespace {

constexpr const char* kInstallationFilesMissing = "Can not find installation files.";
// Lets "Please wait" be seen before the work blocks the window.
constexpr uint32_t kPleaseWaitPause = 200;

}  // namespace

CSetupDlg::CSetupDlg(CWinApp& app, CWnd* parent)
    : CDialog(app.GetPlatform(), IDD, parent), m_hIcon(app.LoadIcon(IDR_MAINFRAME)) {}

void CSetupDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PLEASE_WAIT, m_stcWait);
  DDX_Control(pDX, IDOK, m_btnOK);
  DDX_Control(pDX, IDC_INSTALL_DRIVER, m_chkDriver);
  DDX_Control(pDX, IDC_INSTALL_APPS, m_chkApps);
}

BOOL CSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  CMenu sysMenu = GetSystemMenu();
  if (sysMenu.m_hMenu) {
    const std::string about = m_platform.desktop.LoadString(IDS_ABOUTBOX);
    if (!about.empty()) {
      sysMenu.AppendMenu(MF_SEPARATOR);
      sysMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
    }
  }

  SetIcon(m_hIcon, 1);
  SetIcon(m_hIcon, 0);

  m_chkApps.SetCheck(BST_CHECKED);
  m_chkDriver.SetCheck(BST_CHECKED);
  m_stcWait.ShowWindow(SW_HIDE);

  m_szSourceDir = ProgramDirectory(m_platform);
  // Leaves the current directory in "W2K-ME\" when the disc has one, for the
  // programs that OK starts.
  const std::string suiteSetup = EnterSuiteFolderAndGetSetupPath(m_platform.files, m_szSourceDir);
  m_bSuiteSetupFound = FileIsPresent(m_platform.files, suiteSetup) ? 1 : 0;
  if (!m_bSuiteSetupFound) {
    m_platform.desktop.MessageBox(GetSafeHwnd(), kInstallationFilesMissing, shared::kMessageCaption,
                                  MB_OK);
    m_platform.processes.Exit(0);
  }
  return 1;
}

void CSetupDlg::OnOK() {
  if (!m_chkApps.GetCheck() && !m_chkDriver.GetCheck()) {
    EndDialog(IDCANCEL);
    return;
  }
  m_bWorking = true;

  m_chkApps.ShowWindow(SW_HIDE);
  m_chkDriver.ShowWindow(SW_HIDE);
  m_stcWait.ShowWindow(SW_SHOW);
  m_stcWait.RedrawWindow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  m_platform.clock.Sleep(kPleaseWaitPause);

  bool suiteSetupStarted = false;
  if (m_chkApps.GetCheck()) {
    CloseSuitePrograms(m_platform, false);
    UninstallPreviousSuite(m_platform);
    ShowWindow(SW_HIDE);
    // The suite's setup installs the driver afterwards when asked to.
    const HandOver handOver{m_chkDriver.GetCheck() != 0, m_szSourceDir + "Setup.exe"};
    suiteSetupStarted = StartSuiteSetup(m_platform, m_szSourceDir, GetSafeHwnd(), &handOver);
  }
  if (!suiteSetupStarted && m_chkDriver.GetCheck()) {
    OptionalRestartPrompt restartPrompt(m_platform, m_bNoRestart);
    m_nExitCode = InstallDriverPackage(m_platform, kMainDialogRun, m_szSourceDir, GetSafeHwnd(),
                                       restartPrompt);
  } else if (m_chkApps.GetCheck() && !suiteSetupStarted) {
    m_nExitCode = exit_code::kFileNotFound;  // the user was told the suite setup is missing
  }
  CDialog::OnOK();
}

bool CSetupDlg::OnCommand(int controlId, int notifyCode) {
  if (m_bWorking) return true;
  if (notifyCode == BN_CLICKED && controlId == IDC_INSTALL_APPS) {
    OnClickedInstallApps();
    return true;
  }
  if (notifyCode == BN_CLICKED && controlId == IDC_INSTALL_DRIVER) {
    OnClickedInstallDriver();
    return true;
  }
  return CDialog::OnCommand(controlId, notifyCode);
}

void CSetupDlg::OnClickedInstallApps() { EnableOkWhileABoxIsChecked(); }

void CSetupDlg::OnClickedInstallDriver() { EnableOkWhileABoxIsChecked(); }

void CSetupDlg::EnableOkWhileABoxIsChecked() {
  m_btnOK.EnableWindow(m_chkApps.GetCheck() || m_chkDriver.GetCheck() ? 1 : 0);
}

void CSetupDlg::OnSysCommand(uint32_t id, intptr_t lParam) {
  if ((id & 0xFFF0) != IDM_ABOUTBOX) {
    CDialog::OnSysCommand(id, lParam);
    return;
  }
  if (m_bWorking) return;
  // Owned by this dialog, which takes no input until the box is closed.
  CAboutDlg about(m_platform, this);
  about.DoModal();
}

void CSetupDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  const int iconWidth = m_platform.desktop.GetSystemMetrics(SM_CXICON);
  const int iconHeight = m_platform.desktop.GetSystemMetrics(SM_CYICON);
  platform::Rect client;
  GetClientRect(&client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  m_platform.desktop.PaintIconic(GetSafeHwnd(), m_hIcon, x, y);
}

platform::IconHandle CSetupDlg::OnQueryDragIcon() { return m_hIcon; }
