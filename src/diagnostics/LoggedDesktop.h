// Window-manager calls, forwarded and logged. A modal dialog's line is written
// when the dialog ends, after the lines of the calls its handlers made.
#pragma once

#include "diagnostics/CallLog.h"
#include "platform/Desktop.h"

namespace diagnostics {

class LoggedDesktop final : public platform::Desktop {
 public:
  LoggedDesktop(platform::Desktop& inner, CallLog& log) : m_inner(inner), m_log(log) {}

  platform::Hwnd FindTopLevelWindow(const std::string& title) override;
  intptr_t SendMessage(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) override;
  bool SendMessageTimeout(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam, uint32_t flags, uint32_t timeoutMilliseconds,
                          uintptr_t* result) override;
  bool ShowWindow(platform::Hwnd window, int command) override;
  bool EnableWindow(platform::Hwnd window, bool enable) override;
  bool IsWindowVisible(platform::Hwnd window) override;
  bool IsWindowEnabled(platform::Hwnd window) override;
  bool IsIconic(platform::Hwnd window) override;
  bool RedrawWindow(platform::Hwnd window, uint32_t flags) override;
  bool GetClientRect(platform::Hwnd window, platform::Rect* rect) override;
  int GetSystemMetrics(int index) override;

  intptr_t RunModalDialog(int templateId, platform::Hwnd parent,
                          platform::DialogProcedure* procedure) override;
  bool EndDialog(platform::Hwnd dialog, intptr_t result) override;
  platform::Hwnd GetDlgItem(platform::Hwnd dialog, int controlId) override;
  intptr_t DefaultProcessing(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) override;

  platform::MenuHandle GetSystemMenu(platform::Hwnd window) override;
  bool AppendMenu(platform::MenuHandle menu, uint32_t flags, uintptr_t id,
                  const std::string& text) override;
  std::string LoadString(int id) override;
  platform::IconHandle LoadIcon(int id) override;
  void PaintIconic(platform::Hwnd window, platform::IconHandle icon, int x, int y) override;

  int MessageBox(platform::Hwnd owner, const std::string& text, const std::string& caption,
                 uint32_t type) override;

  platform::CursorHandle ShowWaitCursor() override;
  void RestoreCursor(platform::CursorHandle previous) override;
  void EnableThreeDControls() override;

 private:
  platform::Desktop& m_inner;
  CallLog& m_log;
};

}  // namespace diagnostics
