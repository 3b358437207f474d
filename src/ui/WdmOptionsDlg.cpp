#include "ui/WdmOptionsDlg.h"

#include "common/ProgramDirectory.h"
#include "driver/InfOptionPatch.h"
#include "platform/WinApi.h"
#include "ui/RestartDlg.h"

CWdmOptionsDlg::CWdmOptionsDlg(platform::Platform& platform, CWnd* parent)
    : CDialog(platform, IDD, parent) {}

void CWdmOptionsDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_JACK_SOUNDCARD, m_radSoundCard);
  DDX_Control(pDX, IDC_JACK_MOTHERBOARD, m_radMotherboard);
  DDX_Control(pDX, IDC_DISABLE_LEGACY, m_chkDisableLegacy);
  DDX_Control(pDX, IDC_SHARE_MIC_SUB, m_chkMicSub);
  DDX_Control(pDX, IDC_SHARE_LINEIN_REAR, m_chkLineInRear);
  DDX_Control(pDX, IDC_SHARE_LINEIN_CENTER, m_chkLineInCenter);
}

BOOL CWdmOptionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_szSourceDir = ProgramDirectory(m_platform);
  const driver::InfOptions start = StartChoices();
  const auto check = [](bool checked) { return checked ? BST_CHECKED : BST_UNCHECKED; };
  m_radMotherboard.SetCheck(check(!start.jackInSoundCard));
  m_radSoundCard.SetCheck(check(start.jackInSoundCard));
  m_chkLineInRear.SetCheck(check(start.lineInRear));
  m_chkLineInCenter.SetCheck(check(start.lineInCenter));
  m_chkMicSub.SetCheck(check(start.micSub));
  return 1;
}

driver::InfOptions CWdmOptionsDlg::StartChoices() {
  driver::InfOptions start;
  start.disableLegacy = false;  // the template's box starts clear
  start.jackInSoundCard = false;
  start.lineInRear = true;
  start.lineInCenter = false;
  start.micSub = false;
  return start;
}

bool CWdmOptionsDlg::OnCommand(int controlId, int notifyCode) {
  if (notifyCode == BN_CLICKED) {
    switch (controlId) {
      case IDC_SHARE_LINEIN_CENTER:
        OnClickedShareLineInCenter();
        return true;
      case IDC_SHARE_LINEIN_REAR:
        OnClickedShareLineInRear();
        return true;
      case IDC_SHARE_MIC_SUB:
        OnClickedShareMicSub();
        return true;
      case IDC_JACK_MOTHERBOARD:
        OnClickedJackMotherboard();
        return true;
      case IDC_JACK_SOUNDCARD:
        OnClickedJackSoundCard();
        return true;
      default:
        break;
    }
  }
  return CDialog::OnCommand(controlId, notifyCode);
}

// Line-in can share only one jack: center/subwoofer excludes both others.
void CWdmOptionsDlg::OnClickedShareLineInCenter() {
  m_chkLineInRear.SetCheck(BST_UNCHECKED);
  m_chkLineInCenter.SetCheck(BST_CHECKED);
  m_chkMicSub.SetCheck(BST_UNCHECKED);
}

void CWdmOptionsDlg::OnClickedShareLineInRear() {
  m_chkLineInRear.SetCheck(BST_CHECKED);
  m_chkLineInCenter.SetCheck(BST_UNCHECKED);
}

void CWdmOptionsDlg::OnClickedShareMicSub() {
  m_chkLineInCenter.SetCheck(BST_UNCHECKED);
  m_chkMicSub.SetCheck(BST_CHECKED);
}

void CWdmOptionsDlg::OnClickedJackMotherboard() {
  m_radMotherboard.SetCheck(BST_CHECKED);
  m_radSoundCard.SetCheck(BST_UNCHECKED);
  EnableSharingBoxes(1);
}

// On a sound card the rear speakers have a jack of their own: the sharing
// boxes keep their marks but no longer count.
void CWdmOptionsDlg::OnClickedJackSoundCard() {
  m_radMotherboard.SetCheck(BST_UNCHECKED);
  m_radSoundCard.SetCheck(BST_CHECKED);
  EnableSharingBoxes(0);
}

void CWdmOptionsDlg::EnableSharingBoxes(BOOL enable) {
  m_chkLineInRear.EnableWindow(enable);
  m_chkLineInCenter.EnableWindow(enable);
  m_chkMicSub.EnableWindow(enable);
}

void CWdmOptionsDlg::OnOK() {
  OptionalRestartPrompt restartPrompt(m_platform, m_bNoRestart);
  m_nExitCode = InstallDriverPackage(m_platform, kWdmOptionsRun, m_szSourceDir, GetSafeHwnd(),
                                     restartPrompt, this);
  CDialog::OnOK();
}

bool CWdmOptionsDlg::PatchInfOptions(const std::string& infPath) {
  driver::InfOptions options;
  options.disableLegacy = m_chkDisableLegacy.GetCheck() == BST_CHECKED;
  options.jackInSoundCard = m_radSoundCard.GetCheck() == BST_CHECKED;
  options.lineInRear = m_chkLineInRear.GetCheck() == BST_CHECKED;
  options.lineInCenter = m_chkLineInCenter.GetCheck() == BST_CHECKED;
  options.micSub = m_chkMicSub.GetCheck() == BST_CHECKED;
  return driver::PatchInfOptionsFile(m_platform, infPath, options);
}
