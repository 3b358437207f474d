#include "diagnostics/LoggedDesktop.h"

namespace diagnostics {

namespace {

// The window message's number and its two parameters.
CallLine& Message(CallLine& line, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return line.Hex(message, "message")
      .Hex(wParam, "wParam")
      .Hex(static_cast<uintptr_t>(lParam), "lParam");
}

}  // namespace

platform::Hwnd LoggedDesktop::FindTopLevelWindow(const std::string& title) {
  const platform::Hwnd window = m_inner.FindTopLevelWindow(title);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("Desktop.FindTopLevelWindow")
                  .Text(title)
                  .ReturnsHex(window)
                  .ErrorIf(window == 0, error));
  return window;
}

intptr_t LoggedDesktop::SendMessage(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam) {
  const intptr_t result = m_inner.SendMessage(window, message, wParam, lParam);
  CallLine line("Desktop.SendMessage");
  line.Hex(window);
  m_log.Write(Message(line, message, wParam, lParam).ReturnsNumber(result));
  return result;
}

bool LoggedDesktop::SendMessageTimeout(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam, uint32_t flags,
                                       uint32_t timeoutMilliseconds, uintptr_t* result) {
  const bool ok = m_inner.SendMessageTimeout(window, message, wParam, lParam, flags,
                                             timeoutMilliseconds, result);
  const uint32_t error = m_log.LastError();
  CallLine line("Desktop.SendMessageTimeout");
  line.Hex(window);
  Message(line, message, wParam, lParam)
      .Hex(flags, "flags")
      .Number(timeoutMilliseconds, "timeout")
      .Returns(ok);
  if (ok) line.Out("result", Hex(*result));
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

bool LoggedDesktop::ShowWindow(platform::Hwnd window, int command) {
  const bool result = m_inner.ShowWindow(window, command);
  m_log.Write(CallLine("Desktop.ShowWindow").Hex(window).Number(command).Returns(result));
  return result;
}

bool LoggedDesktop::EnableWindow(platform::Hwnd window, bool enable) {
  const bool result = m_inner.EnableWindow(window, enable);
  m_log.Write(CallLine("Desktop.EnableWindow").Hex(window).Flag(enable).Returns(result));
  return result;
}

bool LoggedDesktop::IsWindowVisible(platform::Hwnd window) {
  const bool result = m_inner.IsWindowVisible(window);
  m_log.Write(CallLine("Desktop.IsWindowVisible").Hex(window).Returns(result));
  return result;
}

bool LoggedDesktop::IsWindowEnabled(platform::Hwnd window) {
  const bool result = m_inner.IsWindowEnabled(window);
  m_log.Write(CallLine("Desktop.IsWindowEnabled").Hex(window).Returns(result));
  return result;
}

bool LoggedDesktop::IsIconic(platform::Hwnd window) {
  const bool result = m_inner.IsIconic(window);
  m_log.Write(CallLine("Desktop.IsIconic").Hex(window).Returns(result));
  return result;
}

bool LoggedDesktop::RedrawWindow(platform::Hwnd window, uint32_t flags) {
  const bool result = m_inner.RedrawWindow(window, flags);
  m_log.Write(CallLine("Desktop.RedrawWindow").Hex(window).Hex(flags, "flags").Returns(result));
  return result;
}

bool LoggedDesktop::GetClientRect(platform::Hwnd window, platform::Rect* rect) {
  const bool ok = m_inner.GetClientRect(window, rect);
  const uint32_t error = m_log.LastError();
  CallLine line("Desktop.GetClientRect");
  line.Hex(window).Returns(ok);
  if (ok) {
    line.Out("rect", std::to_string(rect->left) + "," + std::to_string(rect->top) + "," +
                         std::to_string(rect->right) + "," + std::to_string(rect->bottom));
  }
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

int LoggedDesktop::GetSystemMetrics(int index) {
  const int result = m_inner.GetSystemMetrics(index);
  m_log.Write(CallLine("Desktop.GetSystemMetrics").Number(index).ReturnsNumber(result));
  return result;
}

intptr_t LoggedDesktop::RunModalDialog(int templateId, platform::Hwnd parent,
                                       platform::DialogProcedure* procedure) {
  const intptr_t result = m_inner.RunModalDialog(templateId, parent, procedure);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("Desktop.RunModalDialog")
                  .Number(templateId)
                  .Hex(parent, "parent")
                  .ReturnsNumber(result)
                  .ErrorIf(result == -1, error));
  return result;
}

bool LoggedDesktop::EndDialog(platform::Hwnd dialog, intptr_t result) {
  const bool ok = m_inner.EndDialog(dialog, result);
  const uint32_t error = m_log.LastError();
  m_log.Write(
      CallLine("Desktop.EndDialog").Hex(dialog).Number(result).Returns(ok).ErrorIf(!ok, error));
  return ok;
}

platform::Hwnd LoggedDesktop::GetDlgItem(platform::Hwnd dialog, int controlId) {
  const platform::Hwnd control = m_inner.GetDlgItem(dialog, controlId);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("Desktop.GetDlgItem")
                  .Hex(dialog)
                  .Number(controlId)
                  .ReturnsHex(control)
                  .ErrorIf(control == 0, error));
  return control;
}

intptr_t LoggedDesktop::DefaultProcessing(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                                          intptr_t lParam) {
  const intptr_t result = m_inner.DefaultProcessing(window, message, wParam, lParam);
  CallLine line("Desktop.DefaultProcessing");
  line.Hex(window);
  m_log.Write(Message(line, message, wParam, lParam).ReturnsNumber(result));
  return result;
}

platform::MenuHandle LoggedDesktop::GetSystemMenu(platform::Hwnd window) {
  const platform::MenuHandle menu = m_inner.GetSystemMenu(window);
  m_log.Write(CallLine("Desktop.GetSystemMenu").Hex(window).ReturnsHex(menu));
  return menu;
}

bool LoggedDesktop::AppendMenu(platform::MenuHandle menu, uint32_t flags, uintptr_t id,
                               const std::string& text) {
  const bool ok = m_inner.AppendMenu(menu, flags, id, text);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("Desktop.AppendMenu")
                  .Hex(menu)
                  .Hex(flags, "flags")
                  .Number(static_cast<int64_t>(id), "id")
                  .Text(text)
                  .Returns(ok)
                  .ErrorIf(!ok, error));
  return ok;
}

std::string LoggedDesktop::LoadString(int id) {
  std::string result = m_inner.LoadString(id);
  const uint32_t error = m_log.LastError();
  m_log.Write(
      CallLine("Desktop.LoadString").Number(id).ReturnsText(result).ErrorIf(result.empty(), error));
  return result;
}

platform::IconHandle LoggedDesktop::LoadIcon(int id) {
  const platform::IconHandle icon = m_inner.LoadIcon(id);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("Desktop.LoadIcon").Number(id).ReturnsHex(icon).ErrorIf(icon == 0, error));
  return icon;
}

void LoggedDesktop::PaintIconic(platform::Hwnd window, platform::IconHandle icon, int x, int y) {
  m_inner.PaintIconic(window, icon, x, y);
  m_log.Write(CallLine("Desktop.PaintIconic")
                  .Hex(window)
                  .Hex(icon, "icon")
                  .Number(x, "x")
                  .Number(y, "y")
                  .Returns());
}

int LoggedDesktop::MessageBox(platform::Hwnd owner, const std::string& text,
                              const std::string& caption, uint32_t type) {
  const int result = m_inner.MessageBox(owner, text, caption, type);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("Desktop.MessageBox")
                  .Hex(owner, "owner")
                  .Text(text)
                  .Text(caption)
                  .Hex(type, "type")
                  .ReturnsNumber(result)
                  .ErrorIf(result == 0, error));
  return result;
}

platform::CursorHandle LoggedDesktop::ShowWaitCursor() {
  const platform::CursorHandle previous = m_inner.ShowWaitCursor();
  m_log.Write(CallLine("Desktop.ShowWaitCursor").ReturnsHex(previous));
  return previous;
}

void LoggedDesktop::RestoreCursor(platform::CursorHandle previous) {
  m_inner.RestoreCursor(previous);
  m_log.Write(CallLine("Desktop.RestoreCursor").Hex(previous).Returns());
}

void LoggedDesktop::EnableThreeDControls() {
  m_inner.EnableThreeDControls();
  m_log.Write(CallLine("Desktop.EnableThreeDControls").Returns());
}

}  // namespace diagnostics
