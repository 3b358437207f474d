// CAboutDlg: the about box, with the program's icon and version line, opened
// from the main dialog's system menu.
#pragma once

#include "res/resource.h"
#include "ui/framework/Dialog.h"

class CAboutDlg : public CDialog {
 public:
  enum { IDD = IDD_ABOUTBOX };
  explicit CAboutDlg(platform::Platform& platform, CWnd* parent = nullptr);
};
