#include "ui/RestartDlg.h"

CRestartDlg::CRestartDlg(platform::Platform& platform, CWnd* parent)
    : CDialog(platform, IDD, parent) {}

// Entry point only; comes with a later change.
BOOL EnablePrivilege(platform::Platform&, const char*) { return 0; }
