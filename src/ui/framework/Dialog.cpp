#include "ui/framework/Dialog.h"

void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control) {
  if (control.GetSafeHwnd() == 0) {
    CDialog* dialog = pDX->m_pDlgWnd;
    control.Attach(&dialog->GetPlatform().desktop, dialog->GetDlgItem(controlId));
  }
}

CDialog::CDialog(platform::Platform& platform, int templateId, CWnd* parent)
    : m_platform(platform), m_templateId(templateId), m_pParentWnd(parent) {}

intptr_t CDialog::DoModal() {
  platform::Hwnd parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : 0;
  intptr_t result = m_platform.desktop.RunModalDialog(m_templateId, parent, this);
  m_hWnd = 0;
  return result;
}

void CDialog::EndDialog(int result) { m_platform.desktop.EndDialog(m_hWnd, result); }

platform::Hwnd CDialog::GetDlgItem(int controlId) const {
  return m_platform.desktop.GetDlgItem(m_hWnd, controlId);
}

BOOL CDialog::OnInitDialog() {
  CDataExchange dx(this);
  DoDataExchange(&dx);
  return 1;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnCommand(int controlId, int) {
  switch (controlId) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
    default:
      return false;
  }
}

void CDialog::OnSysCommand(uint32_t id, intptr_t lParam) { Default(WM_SYSCOMMAND, id, lParam); }

void CDialog::OnPaint() { Default(WM_PAINT, 0, 0); }

platform::IconHandle CDialog::OnQueryDragIcon() {
  return static_cast<platform::IconHandle>(Default(WM_QUERYDRAGICON, 0, 0));
}

intptr_t CDialog::Default(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return m_platform.desktop.DefaultProcessing(m_hWnd, message, wParam, lParam);
}

intptr_t CDialog::DialogProc(platform::Hwnd dialog, uint32_t message, uintptr_t wParam,
                             intptr_t lParam, bool* handled) {
  *handled = true;
  if (message == WM_INITDIALOG) {
    Attach(&m_platform.desktop, dialog);
    return OnInitDialog();
  }
  if (message == WM_COMMAND) {
    int id = static_cast<int>(wParam & 0xFFFF);
    int code = static_cast<int>((wParam >> 16) & 0xFFFF);
    *handled = OnCommand(id, code);
    return *handled ? 1 : 0;
  }
  switch (message) {
    case WM_SYSCOMMAND:
      OnSysCommand(static_cast<uint32_t>(wParam), lParam);
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_QUERYDRAGICON:
      return static_cast<intptr_t>(OnQueryDragIcon());
    default:
      break;
  }
  *handled = false;  // any other message: the default processing
  return 0;
}
