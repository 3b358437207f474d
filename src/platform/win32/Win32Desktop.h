// The window manager on the Win32 user-interface functions, with the host that
// runs a DialogProcedure as the procedure of a modal dialog.
#pragma once

#include "platform/Desktop.h"
#include "platform/win32/Win32SystemLibrary.h"

namespace platform {

class Win32Desktop final : public Desktop {
 public:
  Hwnd FindTopLevelWindow(const std::string& title) override;
  intptr_t SendMessage(Hwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  bool SendMessageTimeout(Hwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                          uint32_t flags, uint32_t timeoutMilliseconds, uintptr_t* result) override;
  bool ShowWindow(Hwnd window, int command) override;
  bool EnableWindow(Hwnd window, bool enable) override;
  bool IsIconic(Hwnd window) override;
  bool RedrawWindow(Hwnd window, uint32_t flags) override;
  bool GetClientRect(Hwnd window, Rect* rect) override;
  int GetSystemMetrics(int index) override;

  intptr_t RunModalDialog(int templateId, Hwnd parent, DialogProcedure* procedure) override;
  bool EndDialog(Hwnd dialog, intptr_t result) override;
  Hwnd GetDlgItem(Hwnd dialog, int controlId) override;
  intptr_t DefaultProcessing(Hwnd window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) override;

  MenuHandle GetSystemMenu(Hwnd window) override;
  bool AppendMenu(MenuHandle menu, uint32_t flags, uintptr_t id, const std::string& text) override;
  std::string LoadString(int id) override;
  IconHandle LoadIcon(int id) override;
  void PaintIconic(Hwnd window, IconHandle icon, int x, int y) override;

  int MessageBox(Hwnd owner, const std::string& text, const std::string& caption,
                 uint32_t type) override;

  CursorHandle ShowWaitCursor() override;
  void RestoreCursor(CursorHandle previous) override;
  void EnableThreeDControls() override;

 private:
  // Loaded on first use rather than imported: an import would load it, and
  // uxtheme.dll with it, before WinMain has restricted the DLL search. It stays
  // loaded, as the controls it registers are used until the program ends.
  Win32SystemLibrary m_commonControls{"comctl32.dll"};
};

}  // namespace platform
