// CWnd and the control wrappers: a window handle plus the calls the dialogs
// make on it, all through the platform's Desktop.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Desktop.h"
#include "platform/WinApi.h"

// A menu handle and the calls made on it.
class CMenu {
 public:
  CMenu(platform::Desktop* desktop, platform::MenuHandle menu)
      : m_hMenu(menu), m_desktop(desktop) {}
  BOOL AppendMenu(uint32_t flags, uintptr_t id = 0, const std::string& text = std::string());

  platform::MenuHandle m_hMenu;

 private:
  platform::Desktop* m_desktop;
};

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Binds this object to a window (done by DDX_Control and by dialogs).
  void Attach(platform::Desktop* desktop, platform::Hwnd window);
  platform::Hwnd GetSafeHwnd() const { return m_hWnd; }

  BOOL ShowWindow(int command);
  BOOL EnableWindow(BOOL enable);
  BOOL IsIconic() const;
  BOOL RedrawWindow(uint32_t flags);
  void GetClientRect(platform::Rect* rect) const;
  // The window's system menu as it stands (not reset); m_hMenu is 0 when it has none.
  CMenu GetSystemMenu() const;
  // WM_SETICON: the big (title bar, task switcher) or the small icon.
  void SetIcon(platform::IconHandle icon, BOOL bigIcon);

  platform::Hwnd m_hWnd = 0;

 protected:
  platform::Desktop* m_desktop = nullptr;
};

// A push button, check box or radio button.
class CButton : public CWnd {
 public:
  void SetCheck(int state);
  int GetCheck() const;
};

class CStatic : public CWnd {};
