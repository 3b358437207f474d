#include "ui/AboutDlg.h"

CAboutDlg::CAboutDlg(platform::Platform& platform, CWnd* parent) : CDialog(platform, IDD, parent) {}

// The template shows everything; no control is bound.
