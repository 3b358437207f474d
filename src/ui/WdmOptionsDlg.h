// CWdmOptionsDlg: the Windows 2000 options dialog, through which the WDM
// driver is installed with the jack and legacy-device choices.
#pragma once

#include <string>

#include "driver/InfOptionPatch.h"
#include "driver/InstallDriverPackage.h"
#include "res/resource.h"
#include "ui/framework/Dialog.h"

class CWdmOptionsDlg : public CDialog, public InfPatcher {
 public:
  enum { IDD = IDD_WDM_OPTIONS };
  explicit CWdmOptionsDlg(platform::Platform& platform, CWnd* parent = nullptr);

  // InfPatcher: writes the choices as the controls show them now into one
  // staged INF file. Runs during the installation, while the dialog exists.
  bool PatchInfOptions(const std::string& infPath) override;

  // The choices the dialog opens with: motherboard wiring with line-in shared
  // with the rear output.
  static driver::InfOptions StartChoices();

  // The exit code of the installation "Install" ran (common/ExitCodes.h).
  int ExitCode() const { return m_nExitCode; }

  std::string m_szSourceDir;  // the program's own folder, ending in a backslash
  bool m_bNoRestart = false;  // the installation ends without the restart prompt

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  // Shows the start choices.
  BOOL OnInitDialog() override;
  // "Install": the driver installation with this dialog's choices.
  void OnOK() override;
  bool OnCommand(int controlId, int notifyCode) override;

  // Each click handler sets the final check states itself, after the
  // automatic control has toggled: the radio buttons are groups of their own,
  // and a sharing box cannot be cleared by clicking it again.
  void OnClickedShareLineInCenter();
  void OnClickedShareLineInRear();
  void OnClickedShareMicSub();
  void OnClickedJackMotherboard();
  void OnClickedJackSoundCard();

 private:
  void EnableSharingBoxes(BOOL enable);

  CButton m_radSoundCard;
  CButton m_radMotherboard;
  CButton m_chkDisableLegacy;
  CButton m_chkMicSub;
  CButton m_chkLineInRear;
  CButton m_chkLineInCenter;
  int m_nExitCode = 0;
};
