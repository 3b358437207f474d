// CRestartDlg: the last screen of every driver installation, offering to
// restart Windows now or later.
#pragma once

#include "driver/InstallDriverPackage.h"
#include "res/resource.h"
#include "ui/framework/Dialog.h"

class CRestartDlg : public CDialog, public RestartPrompt {
 public:
  enum { IDD = IDD_RESTART };
  explicit CRestartDlg(platform::Platform& platform, CWnd* parent = nullptr);

  // RestartPrompt: runs the dialog modally; true when the restart is under way.
  bool Offer() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  // Selects "restart now", so that OK alone restarts.
  BOOL OnInitDialog() override;
  // Requests the restart when "restart now" is selected, then closes.
  void OnOK() override;

 private:
  CButton m_btnRestartNow;
  CButton m_btnRestartLater;
  bool m_bRestartInitiated = false;
};

// The restart prompt of a run, or none when the run was asked for no restart
// (/NORESTART, a quiet run): nothing is shown then, and the restart stays pending.
class OptionalRestartPrompt final : public RestartPrompt {
 public:
  OptionalRestartPrompt(platform::Platform& platform, bool noRestart)
      : m_dialog(platform), m_noRestart(noRestart) {}
  bool Offer() override { return !m_noRestart && m_dialog.Offer(); }

 private:
  CRestartDlg m_dialog;
  bool m_noRestart;
};
