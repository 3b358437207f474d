// The desktop of a quiet run: every call passes through to the real one,
// except those that would put a window of the program's own on the screen.
// A message box is answered with OK, the one button every box of the program
// has, and its text is noted; a dialog is not shown and counts as cancelled.
#pragma once

#include <functional>
#include <string>

#include "platform/Desktop.h"

using RunNote = std::function<void(const std::string&)>;

class QuietDesktop final : public platform::Desktop {
 public:
  // note receives one line per window that was not shown; it may be empty.
  QuietDesktop(platform::Desktop& inner, RunNote note) : m_inner(inner), m_note(std::move(note)) {}

  platform::Hwnd FindTopLevelWindow(const std::string& title) override;
  intptr_t SendMessage(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) override;
  bool SendMessageTimeout(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam, uint32_t flags, uint32_t timeoutMilliseconds,
                          uintptr_t* result) override;
  bool ShowWindow(platform::Hwnd window, int command) override;
  bool EnableWindow(platform::Hwnd window, bool enable) override;
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
  void Note(const std::string& line);

  platform::Desktop& m_inner;
  RunNote m_note;
};
