// CWdmOptionsDlg: the Windows 2000 options dialog, through which the WDM
// driver is installed with the jack and legacy-device choices.
#pragma once

#include "res/resource.h"
#include "ui/framework/Dialog.h"

class CWdmOptionsDlg : public CDialog {
 public:
  enum { IDD = IDD_WDM_OPTIONS };
  explicit CWdmOptionsDlg(platform::Platform& platform, CWnd* parent = nullptr);
};
