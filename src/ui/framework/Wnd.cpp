#include "ui/framework/Wnd.h"

BOOL CMenu::AppendMenu(uint32_t flags, uintptr_t id, const std::string& text) {
  return m_desktop->AppendMenu(m_hMenu, flags, id, text) ? 1 : 0;
}

void CWnd::Attach(platform::Desktop* desktop, platform::Hwnd window) {
  m_desktop = desktop;
  m_hWnd = window;
}

BOOL CWnd::ShowWindow(int command) { return m_desktop->ShowWindow(m_hWnd, command) ? 1 : 0; }

BOOL CWnd::EnableWindow(BOOL enable) {
  return m_desktop->EnableWindow(m_hWnd, enable != 0) ? 1 : 0;
}

BOOL CWnd::IsIconic() const { return m_desktop->IsIconic(m_hWnd) ? 1 : 0; }

void CWnd::GetClientRect(platform::Rect* rect) const { m_desktop->GetClientRect(m_hWnd, rect); }

CMenu CWnd::GetSystemMenu() const { return CMenu(m_desktop, m_desktop->GetSystemMenu(m_hWnd)); }

void CWnd::SetIcon(platform::IconHandle icon, BOOL bigIcon) {
  m_desktop->SendMessage(m_hWnd, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                         static_cast<intptr_t>(icon));
}

BOOL CWnd::RedrawWindow(uint32_t flags) { return m_desktop->RedrawWindow(m_hWnd, flags) ? 1 : 0; }

void CButton::SetCheck(int state) {
  m_desktop->SendMessage(m_hWnd, BM_SETCHECK, static_cast<uintptr_t>(state), 0);
}

int CButton::GetCheck() const {
  return static_cast<int>(m_desktop->SendMessage(m_hWnd, BM_GETCHECK, 0, 0));
}
