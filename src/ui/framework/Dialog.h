// CDialog: a modal dialog run from one of the program's dialog templates.
// On Windows the platform runs the real template; in the unit tests the fake
// desktop runs it against scripted user actions. Either way the messages
// arrive in DialogProc and are routed to the virtual handlers below.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "ui/framework/Wnd.h"

class CDialog;

// Binds dialog controls to their wrapper objects (DoDataExchange).
class CDataExchange {
 public:
  explicit CDataExchange(CDialog* dialog) : m_pDlgWnd(dialog) {}
  CDialog* m_pDlgWnd;
};

// Attaches control to the dialog's child window with the given id.
void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control);

class CDialog : public CWnd, private platform::DialogProcedure {
 public:
  CDialog(platform::Platform& platform, int templateId, CWnd* parent = nullptr);

  // Runs the dialog modally; returns the value given to EndDialog.
  virtual intptr_t DoModal();
  void EndDialog(int result);
  platform::Hwnd GetDlgItem(int controlId) const;
  platform::Platform& GetPlatform() { return m_platform; }

 protected:
  // WM_INITDIALOG: binds the controls. Return TRUE to let the system set the focus.
  virtual BOOL OnInitDialog();
  // The OK button or Enter: ends the dialog with IDOK.
  virtual void OnOK();
  // Cancel, Escape or the close box: ends the dialog with IDCANCEL.
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange* pDX);
  // WM_COMMAND from a control; returns true when handled.
  virtual bool OnCommand(int controlId, int notifyCode);
  // WM_SYSCOMMAND, WM_PAINT and WM_QUERYDRAGICON; each passes the message on
  // to the default processing unless a dialog overrides it.
  virtual void OnSysCommand(uint32_t id, intptr_t lParam);
  virtual void OnPaint();
  virtual platform::IconHandle OnQueryDragIcon();
  // Passes a message on to the default processing.
  intptr_t Default(uint32_t message, uintptr_t wParam, intptr_t lParam);

  platform::Platform& m_platform;

 private:
  intptr_t DialogProc(platform::Hwnd dialog, uint32_t message, uintptr_t wParam, intptr_t lParam,
                      bool* handled) override;

  int m_templateId;
  CWnd* m_pParentWnd;
};
