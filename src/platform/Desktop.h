// The window manager: top-level windows, dialogs and their controls, menus,
// icons, message boxes and the cursor.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Handles.h"

namespace platform {

// Receives the messages of a modal dialog (the dialog procedure).
class DialogProcedure {
 public:
  virtual ~DialogProcedure() = default;
  // Returns the procedure's result; *handled false sends the message on to the
  // default dialog processing.
  virtual intptr_t DialogProc(Hwnd dialog, uint32_t message, uintptr_t wParam, intptr_t lParam,
                              bool* handled) = 0;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // FindWindowExA(NULL, NULL, NULL, title): the first top-level window with
  // exactly that title.
  virtual Hwnd FindTopLevelWindow(const std::string& title) = 0;
  virtual intptr_t SendMessage(Hwnd window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) = 0;
  // SendMessageTimeoutA: false when the send gave up (the window's program has
  // stopped answering, or the time-out ran out) or failed; *result receives
  // the window's answer otherwise.
  virtual bool SendMessageTimeout(Hwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                  uint32_t flags, uint32_t timeoutMilliseconds,
                                  uintptr_t* result) = 0;
  virtual bool ShowWindow(Hwnd window, int command) = 0;
  virtual bool EnableWindow(Hwnd window, bool enable) = 0;
  virtual bool IsIconic(Hwnd window) = 0;
  virtual bool RedrawWindow(Hwnd window, uint32_t flags) = 0;
  virtual bool GetClientRect(Hwnd window, Rect* rect) = 0;
  virtual int GetSystemMetrics(int index) = 0;

  // Modal dialogs from the program's templates (DialogBoxParamA / EndDialog).
  virtual intptr_t RunModalDialog(int templateId, Hwnd parent, DialogProcedure* procedure) = 0;
  virtual bool EndDialog(Hwnd dialog, intptr_t result) = 0;
  virtual Hwnd GetDlgItem(Hwnd dialog, int controlId) = 0;
  // DefWindowProcA for messages a dialog passes on (system commands, paint).
  virtual intptr_t DefaultProcessing(Hwnd window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam) = 0;

  // Menus, resources, painting.
  virtual MenuHandle GetSystemMenu(Hwnd window) = 0;
  virtual bool AppendMenu(MenuHandle menu, uint32_t flags, uintptr_t id,
                          const std::string& text) = 0;
  virtual std::string LoadString(int id) = 0;
  virtual IconHandle LoadIcon(int id) = 0;
  // Paints the minimised window's icon centred at (x, y) within a
  // BeginPaint/EndPaint pair, after WM_ICONERASEBKGND.
  virtual void PaintIconic(Hwnd window, IconHandle icon, int x, int y) = 0;

  // MessageBoxA.
  virtual int MessageBox(Hwnd owner, const std::string& text, const std::string& caption,
                         uint32_t type) = 0;

  // SetCursor(LoadCursor(NULL, IDC_WAIT)); returns the cursor it replaced.
  virtual CursorHandle ShowWaitCursor() = 0;
  virtual void RestoreCursor(CursorHandle previous) = 0;
  // Three-dimensional look for dialog controls (common controls set up).
  virtual void EnableThreeDControls() = 0;
};

}  // namespace platform
