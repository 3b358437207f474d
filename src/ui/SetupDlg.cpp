#include "ui/SetupDlg.h"

CSetupDlg::CSetupDlg(platform::Platform& platform, CWnd* parent) : CDialog(platform, IDD, parent) {}
