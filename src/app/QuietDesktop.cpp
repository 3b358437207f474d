#include "app/QuietDesktop.h"

#include "observation/ValueText.h"
#include "platform/WinApi.h"

void QuietDesktop::Note(const std::string& line) {
  if (m_note) m_note(line);
}

platform::Hwnd QuietDesktop::FindTopLevelWindow(const std::string& title) {
  return m_inner.FindTopLevelWindow(title);
}

intptr_t QuietDesktop::SendMessage(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) {
  return m_inner.SendMessage(window, message, wParam, lParam);
}

bool QuietDesktop::SendMessageTimeout(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                                      intptr_t lParam, uint32_t flags, uint32_t timeoutMilliseconds,
                                      uintptr_t* result) {
  return m_inner.SendMessageTimeout(window, message, wParam, lParam, flags, timeoutMilliseconds,
                                    result);
}

bool QuietDesktop::ShowWindow(platform::Hwnd window, int command) {
  return m_inner.ShowWindow(window, command);
}

bool QuietDesktop::EnableWindow(platform::Hwnd window, bool enable) {
  return m_inner.EnableWindow(window, enable);
}

bool QuietDesktop::IsIconic(platform::Hwnd window) { return m_inner.IsIconic(window); }

bool QuietDesktop::RedrawWindow(platform::Hwnd window, uint32_t flags) {
  return m_inner.RedrawWindow(window, flags);
}

bool QuietDesktop::GetClientRect(platform::Hwnd window, platform::Rect* rect) {
  return m_inner.GetClientRect(window, rect);
}

int QuietDesktop::GetSystemMetrics(int index) { return m_inner.GetSystemMetrics(index); }

intptr_t QuietDesktop::RunModalDialog(int templateId, platform::Hwnd, platform::DialogProcedure*) {
  Note("quiet run: dialog " + std::to_string(templateId) + " not shown, taken as cancelled");
  return IDCANCEL;
}

bool QuietDesktop::EndDialog(platform::Hwnd dialog, intptr_t result) {
  return m_inner.EndDialog(dialog, result);
}

platform::Hwnd QuietDesktop::GetDlgItem(platform::Hwnd dialog, int controlId) {
  return m_inner.GetDlgItem(dialog, controlId);
}

intptr_t QuietDesktop::DefaultProcessing(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                                         intptr_t lParam) {
  return m_inner.DefaultProcessing(window, message, wParam, lParam);
}

platform::MenuHandle QuietDesktop::GetSystemMenu(platform::Hwnd window) {
  return m_inner.GetSystemMenu(window);
}

bool QuietDesktop::AppendMenu(platform::MenuHandle menu, uint32_t flags, uintptr_t id,
                              const std::string& text) {
  return m_inner.AppendMenu(menu, flags, id, text);
}

std::string QuietDesktop::LoadString(int id) { return m_inner.LoadString(id); }

platform::IconHandle QuietDesktop::LoadIcon(int id) { return m_inner.LoadIcon(id); }

void QuietDesktop::PaintIconic(platform::Hwnd window, platform::IconHandle icon, int x, int y) {
  m_inner.PaintIconic(window, icon, x, y);
}

int QuietDesktop::MessageBox(platform::Hwnd, const std::string& text, const std::string& caption,
                             uint32_t) {
  // Quoted and escaped like every text of the log: a box's text has line ends.
  Note("quiet run: message box " + observation::Text(caption) +
       " answered OK: " + observation::Text(text));
  return IDOK;
}

platform::CursorHandle QuietDesktop::ShowWaitCursor() { return m_inner.ShowWaitCursor(); }

void QuietDesktop::RestoreCursor(platform::CursorHandle previous) {
  m_inner.RestoreCursor(previous);
}

void QuietDesktop::EnableThreeDControls() { m_inner.EnableThreeDControls(); }
