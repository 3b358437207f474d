#include "ui/WdmOptionsDlg.h"

CWdmOptionsDlg::CWdmOptionsDlg(platform::Platform& platform, CWnd* parent)
    : CDialog(platform, IDD, parent) {}
