#include "fake/FakeDesktop.h"

#include <gtest/gtest.h>

#include "fake/PathText.h"
#include "platform/WinApi.h"

namespace fake {

namespace {
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsSysMenu = 0x00080000;
constexpr uintptr_t kScMove = 0xF010;
constexpr uintptr_t kScClose = 0xF060;
constexpr platform::CursorHandle kArrowCursor = 1;
constexpr platform::CursorHandle kWaitCursor = 2;

void Fail(const std::source_location& where, const std::string& message) {
  ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << message;
}

std::string Describe(const FakeWindow& dialog) {
  return "dialog " + std::to_string(dialog.templateId) + " (\"" + dialog.title + "\")";
}

std::string Describe(const UserAction& action) {
  switch (action.kind) {
    case UserAction::Kind::Click:
      return "a click on control " + std::to_string(action.id);
    case UserAction::Kind::Escape:
      return "Escape";
    case UserAction::Kind::CloseBox:
      return "the close box";
    case UserAction::Kind::SysCommand:
      return "system command " + std::to_string(action.id);
    case UserAction::Kind::Inspect:
      break;
  }
  return "an inspection";
}

uintptr_t CommandFrom(int controlId) {
  return (static_cast<uintptr_t>(BN_CLICKED) << 16) | static_cast<uintptr_t>(controlId & 0xFFFF);
}
}  // namespace

UserAction Click(int controlId, std::source_location where) {
  return {UserAction::Kind::Click, controlId, nullptr, where};
}
UserAction PressEscape(std::source_location where) {
  return {UserAction::Kind::Escape, 0, nullptr, where};
}
UserAction PressCloseBox(std::source_location where) {
  return {UserAction::Kind::CloseBox, 0, nullptr, where};
}
UserAction ChooseSysCommand(int command, std::source_location where) {
  return {UserAction::Kind::SysCommand, command, nullptr, where};
}
UserAction Inspect(std::function<void(platform::Hwnd dialog)> inspect, std::source_location where) {
  return {UserAction::Kind::Inspect, 0, std::move(inspect), where};
}

FakeDesktop::FakeDesktop(FakeClock& clock, Journal& journal, LastError& lastError)
    : m_clock(clock), m_journal(journal), m_lastError(lastError) {}

FakeDesktop::~FakeDesktop() {
  for (const auto& [templateId, runs] : m_scripts) {
    for (const ScriptRun& run : runs) {
      Fail(run.where, "the script for dialog " + std::to_string(templateId) + " never ran");
    }
  }
}

platform::Hwnd FakeDesktop::NewWindow(FakeWindow window) {
  window.handle = m_nextHandle++;
  m_windows[window.handle] = window;
  return window.handle;
}

platform::Hwnd FakeDesktop::AddTopLevelWindow(const std::string& title, uint64_t appearsAt,
                                              bool closesOnWmClose) {
  FakeWindow window;
  window.title = title;
  window.topLevel = true;
  window.appearsAt = appearsAt;
  window.closesOnWmClose = closesOnWmClose;
  return NewWindow(window);
}

void FakeDesktop::Script(int templateId, std::vector<UserAction> actions,
                         std::source_location where) {
  m_scripts[templateId].push_back({std::move(actions), where});
}

void FakeDesktop::Act(platform::Hwnd dialog, const UserAction& action) {
  FakeWindow* window = Window(dialog);
  if (!window || !window->isDialog || window->ended) {
    Fail(action.where, "no running dialog has the handle " + std::to_string(dialog));
    return;
  }
  Perform(*window, action);
}

bool FakeDesktop::IsOpen(const std::string& title) const {
  for (const auto& [handle, window] : m_windows) {
    if (window.topLevel && !window.destroyed && window.title == title) return true;
  }
  return false;
}

int FakeDesktop::Looks(const std::string& title) const {
  auto it = m_looks.find(title);
  return it == m_looks.end() ? 0 : it->second;
}

FakeWindow* FakeDesktop::Window(platform::Hwnd handle) {
  auto it = m_windows.find(handle);
  return it == m_windows.end() || it->second.destroyed ? nullptr : &it->second;
}

FakeWindow* FakeDesktop::Control(platform::Hwnd dialog, int controlId) {
  return Window(GetDlgItem(dialog, controlId));
}

const LanguageResources& FakeDesktop::Resources() {
  auto it = m_resources.find(m_languageFile);
  if (it == m_resources.end()) {
    it =
        m_resources
            .emplace(m_languageFile, LoadLanguageResources(LanguageFolder() + "/" + m_languageFile))
            .first;
  }
  return it->second;
}

platform::Hwnd FakeDesktop::FindTopLevelWindow(const std::string& title) {
  ++m_looks[title];
  // FindWindowExA compares titles without regard to case.
  for (const auto& [handle, window] : m_windows) {
    if (window.topLevel && !window.destroyed && window.appearsAt <= m_clock.Now() &&
        EqualsNoCase(window.title, title)) {
      return handle;
    }
  }
  return 0;
}

void FakeDesktop::StopAnswering(platform::Hwnd handle) { m_windows.at(handle).answering = false; }

void FakeDesktop::SetAnswerTime(platform::Hwnd handle, uint32_t milliseconds) {
  m_windows.at(handle).answerTime = milliseconds;
}

intptr_t FakeDesktop::SendMessage(platform::Hwnd handle, uint32_t message, uintptr_t wParam,
                                  intptr_t lParam) {
  FakeWindow* window = Window(handle);
  if (!window) return 0;
  if (!window->answering) {
    ADD_FAILURE() << "SendMessage to \"" << window->title
                  << "\" never returns: its program has stopped answering messages";
    return 0;
  }
  m_clock.Advance(window->answerTime);
  return Handle(*window, message, wParam, lParam);
}

// A send that gives up: at once on a program that has stopped answering when
// asked to (SMTO_ABORTIFHUNG), else when the time-out runs out. A message that
// was delivered is still handled when its window gets to it.
bool FakeDesktop::SendMessageTimeout(platform::Hwnd handle, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam, uint32_t flags, uint32_t timeoutMilliseconds,
                                     uintptr_t* result) {
  FakeWindow* window = Window(handle);
  if (!window) {
    m_lastError.code = ERROR_INVALID_WINDOW_HANDLE;
    return false;
  }
  if (!window->answering) {
    if (!(flags & SMTO_ABORTIFHUNG)) m_clock.Advance(timeoutMilliseconds);
    m_lastError.code = ERROR_TIMEOUT;
    return false;
  }
  if (window->answerTime > timeoutMilliseconds) {
    m_clock.Advance(timeoutMilliseconds);
    Handle(*window, message, wParam, lParam);
    m_lastError.code = ERROR_TIMEOUT;
    return false;
  }
  m_clock.Advance(window->answerTime);
  *result = static_cast<uintptr_t>(Handle(*window, message, wParam, lParam));
  return true;
}

intptr_t FakeDesktop::Handle(FakeWindow& target, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
  FakeWindow* window = &target;
  window->received.push_back(message);
  switch (message) {
    case BM_SETCHECK:
      window->check = static_cast<int>(wParam);
      return 0;
    case BM_GETCHECK:
      return window->check;
    case WM_SETICON:
      window->icons[static_cast<int>(wParam)] = static_cast<platform::IconHandle>(lParam);
      return 0;
    case WM_CLOSE:
      if (window->isDialog) return Deliver(*window, message, wParam, lParam);
      m_closed.push_back(window->title);
      m_journal.Add("close " + window->title);
      if (window->closesOnWmClose) window->destroyed = true;
      return 0;
    default:
      if (window->isDialog) return Deliver(*window, message, wParam, lParam);
      return 0;
  }
}

bool FakeDesktop::ShowWindow(platform::Hwnd handle, int command) {
  FakeWindow* window = Window(handle);
  if (!window) return false;
  bool wasVisible = window->visible;
  window->visible = command != SW_HIDE;
  if (window->isDialog) {
    m_journal.Add("dialog " + std::to_string(window->templateId) +
                  (window->visible ? " shown" : " hidden"));
  }
  return wasVisible;
}

bool FakeDesktop::EnableWindow(platform::Hwnd handle, bool enable) {
  FakeWindow* window = Window(handle);
  if (!window) return false;
  bool wasDisabled = !window->enabled;
  window->enabled = enable;
  return wasDisabled;
}

bool FakeDesktop::IsWindowVisible(platform::Hwnd handle) {
  FakeWindow* window = Window(handle);
  if (!window) return false;
  if (window->parent && !IsWindowVisible(window->parent)) return false;
  return window->visible;
}

bool FakeDesktop::IsWindowEnabled(platform::Hwnd handle) {
  FakeWindow* window = Window(handle);
  return window && window->enabled;
}

bool FakeDesktop::IsIconic(platform::Hwnd handle) {
  FakeWindow* window = Window(handle);
  return window && window->iconic;
}

bool FakeDesktop::RedrawWindow(platform::Hwnd handle, uint32_t flags) {
  FakeWindow* window = Window(handle);
  if (!window) return false;
  m_journal.Add("redraw " + std::to_string(window->controlId) + " flags " + std::to_string(flags));
  return true;
}

bool FakeDesktop::GetClientRect(platform::Hwnd handle, platform::Rect* rect) {
  FakeWindow* window = Window(handle);
  if (!window) return false;
  *rect = window->client;
  return true;
}

int FakeDesktop::GetSystemMetrics(int index) {
  return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}

intptr_t FakeDesktop::RunModalDialog(int templateId, platform::Hwnd parent,
                                     platform::DialogProcedure* procedure) {
  const platform::Hwnd owner = TopLevelOf(parent);
  if (parent && !owner) {
    // DialogBoxParam answers 0 for an owner that is no window.
    m_journal.Add("dialog " + std::to_string(templateId) + " refused: no owner window");
    return 0;
  }
  ScriptRun script;
  bool scripted = false;
  auto scripts = m_scripts.find(templateId);
  if (scripts != m_scripts.end() && !scripts->second.empty()) {
    script = std::move(scripts->second.front());
    scripts->second.pop_front();
    if (scripts->second.empty()) m_scripts.erase(scripts);
    scripted = true;
  }

  const LanguageResources& resources = Resources();
  auto found = resources.dialogs.find(templateId);
  if (found == resources.dialogs.end()) {
    ADD_FAILURE() << "the program runs dialog " << templateId << ", which " << m_languageFile
                  << " does not define";
    return -1;
  }
  const DialogTemplate& dialogTemplate = found->second;
  m_dialogsRun.push_back(templateId);
  m_journal.Add("dialog " + std::to_string(templateId) + " opened");

  FakeWindow dialogWindow;
  dialogWindow.title = dialogTemplate.caption;
  dialogWindow.topLevel = true;
  dialogWindow.isDialog = true;
  dialogWindow.templateId = templateId;
  dialogWindow.style = dialogTemplate.style;
  dialogWindow.procedure = procedure;
  dialogWindow.parent = 0;
  dialogWindow.visible = false;  // shown once WM_INITDIALOG has returned
  // The owner takes no input until the dialog ends; one disabled already stays so.
  dialogWindow.owner = owner;
  if (owner && IsWindowEnabled(owner)) {
    m_windows[owner].enabled = false;
    dialogWindow.reenablesOwner = true;
  }
  platform::Hwnd dialog = NewWindow(dialogWindow);
  for (const ControlTemplate& control : dialogTemplate.controls) {
    FakeWindow child;
    child.title = control.text;
    child.parent = dialog;
    child.controlId = control.id;
    child.kind = control.kind;
    child.groupStart = control.groupStart;
    child.enabled = !control.disabled;
    child.visible = (control.style & kWsVisible) != 0;
    platform::Hwnd handle = NewWindow(child);
    m_windows[dialog].controls.push_back(handle);
  }

  FakeWindow& window = m_windows[dialog];
  Deliver(window, WM_INITDIALOG, 0, 0);
  // DialogBox shows a modal dialog when its queue first goes empty, whether or
  // not the template has WS_VISIBLE.
  if (!window.ended) window.visible = true;

  for (const UserAction& action : script.actions) {
    if (window.ended) {
      Fail(action.where, Describe(window) + " has ended before this action");
      break;
    }
    Perform(window, action);
  }
  if (!window.ended) {
    const std::string message =
        Describe(window) + (scripted ? " is still open after its script"
                                     : " runs without a script: it would wait for the user");
    if (scripted) {
      Fail(script.where, message);
    } else {
      ADD_FAILURE() << message;
    }
    window.result = IDCANCEL;
  }
  ReenableOwner(window);
  intptr_t result = window.result;
  for (platform::Hwnd control : window.controls) m_windows[control].destroyed = true;
  window.destroyed = true;
  m_journal.Add("dialog " + std::to_string(templateId) + " ended " + std::to_string(result));
  return result;
}

intptr_t FakeDesktop::Deliver(FakeWindow& dialog, uint32_t message, uintptr_t wParam,
                              intptr_t lParam) {
  bool handled = false;
  intptr_t result = dialog.procedure->DialogProc(dialog.handle, message, wParam, lParam, &handled);
  if (handled || message == WM_INITDIALOG) return result;
  return DefaultDialogProcessing(dialog, message, wParam);
}

// What the dialog manager does with a message the dialog procedure declines:
// the close command becomes WM_CLOSE, and WM_CLOSE a click on the Cancel
// button, unless that button is disabled.
intptr_t FakeDesktop::DefaultDialogProcessing(FakeWindow& dialog, uint32_t message,
                                              uintptr_t wParam) {
  if (message == WM_SYSCOMMAND) {
    defaultProcessed.push_back(message);
    if ((wParam & 0xFFF0) == kScClose) return Deliver(dialog, WM_CLOSE, 0, 0);
  } else if (message == WM_CLOSE) {
    FakeWindow* cancel = Control(dialog.handle, IDCANCEL);
    if (cancel && !cancel->enabled) return 0;
    Deliver(dialog, WM_COMMAND, CommandFrom(IDCANCEL),
            static_cast<intptr_t>(cancel ? cancel->handle : 0));
  }
  return 0;
}

platform::Hwnd FakeDesktop::TopLevelOf(platform::Hwnd owner) {
  FakeWindow* window = Window(owner);
  while (window && window->parent) window = Window(window->parent);
  return window ? window->handle : 0;
}

void FakeDesktop::ReenableOwner(FakeWindow& dialog) {
  if (!dialog.reenablesOwner) return;
  dialog.reenablesOwner = false;
  if (FakeWindow* owner = Window(dialog.owner)) owner->enabled = true;
}

bool FakeDesktop::InSystemMenu(const FakeWindow& dialog, int command) const {
  // A modal frame's system menu offers Move and Close, plus what the program appended.
  const uintptr_t standard = static_cast<uintptr_t>(command) & 0xFFF0;
  if (standard == kScMove || standard == kScClose) return true;
  const std::string prefix = std::to_string(command) + ":";
  for (const std::string& item : dialog.systemMenu) {
    if (item.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

void FakeDesktop::Perform(FakeWindow& dialog, const UserAction& action) {
  if (action.kind == UserAction::Kind::Inspect) {
    action.inspect(dialog.handle);
    return;
  }
  const std::string what = Describe(action) + " on " + Describe(dialog);
  if (!IsWindowVisible(dialog.handle)) {
    Fail(action.where, what + ": the dialog is not showing");
    return;
  }
  if (!dialog.enabled) {
    Fail(action.where, what + ": the dialog is disabled");
    return;
  }
  switch (action.kind) {
    case UserAction::Kind::Click: {
      FakeWindow* control = Control(dialog.handle, action.id);
      if (!control) {
        Fail(action.where, what + ": no such control");
      } else if (control->kind == ControlKind::Static || control->kind == ControlKind::GroupBox ||
                 control->kind == ControlKind::Icon) {
        Fail(action.where, what + ": not a button, so the click does nothing");
      } else if (!IsWindowVisible(control->handle)) {
        Fail(action.where, what + ": the control is hidden");
      } else if (!control->enabled) {
        Fail(action.where, what + ": the control is disabled");
      } else {
        ClickControl(dialog, *control);
      }
      break;
    }
    case UserAction::Kind::Escape: {
      // The dialog manager ignores Escape while the Cancel button is disabled.
      FakeWindow* cancel = Control(dialog.handle, IDCANCEL);
      if (cancel && !cancel->enabled) {
        Fail(action.where, what + ": ignored, as the Cancel button is disabled");
        break;
      }
      Deliver(dialog, WM_COMMAND, CommandFrom(IDCANCEL),
              static_cast<intptr_t>(cancel ? cancel->handle : 0));
      break;
    }
    case UserAction::Kind::CloseBox:
    case UserAction::Kind::SysCommand: {
      const int command =
          action.kind == UserAction::Kind::CloseBox ? static_cast<int>(kScClose) : action.id;
      if (!(dialog.style & kWsSysMenu)) {
        Fail(action.where, what + ": the dialog has no system menu or close box");
      } else if (!InSystemMenu(dialog, command)) {
        Fail(action.where, what + ": not in the system menu");
      } else {
        Deliver(dialog, WM_SYSCOMMAND, static_cast<uintptr_t>(command), 0);
      }
      break;
    }
    case UserAction::Kind::Inspect:
      break;
  }
}

void FakeDesktop::ClickControl(FakeWindow& dialog, FakeWindow& control) {
  if (control.kind == ControlKind::AutoCheckBox) {
    control.check = control.check ? 0 : 1;
  } else if (control.kind == ControlKind::AutoRadioButton) {
    // Clear the other automatic radio buttons of the same group.
    const std::vector<platform::Hwnd>& controls = dialog.controls;
    size_t index = 0;
    while (controls[index] != control.handle) ++index;
    size_t first = index;
    while (first > 0 && !m_windows[controls[first]].groupStart) --first;
    for (size_t i = first; i < controls.size(); ++i) {
      FakeWindow& other = m_windows[controls[i]];
      if (i > first && other.groupStart) break;
      if (other.kind == ControlKind::AutoRadioButton) other.check = 0;
    }
    control.check = 1;
  }
  Deliver(dialog, WM_COMMAND, CommandFrom(control.controlId),
          static_cast<intptr_t>(control.handle));
}

bool FakeDesktop::EndDialog(platform::Hwnd handle, intptr_t result) {
  FakeWindow* window = Window(handle);
  if (!window || !window->isDialog) return false;
  window->ended = true;
  window->result = result;
  window->visible = false;  // EndDialog hides the dialog and gives the owner back at once
  ReenableOwner(*window);
  return true;
}

platform::Hwnd FakeDesktop::GetDlgItem(platform::Hwnd dialog, int controlId) {
  FakeWindow* window = Window(dialog);
  if (!window) return 0;
  for (platform::Hwnd control : window->controls) {
    if (m_windows[control].controlId == controlId) return control;
  }
  return 0;
}

intptr_t FakeDesktop::DefaultProcessing(platform::Hwnd handle, uint32_t message, uintptr_t wParam,
                                        intptr_t) {
  defaultProcessed.push_back(message);
  // DefWindowProc turns the close command into WM_CLOSE.
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == kScClose) {
    return SendMessage(handle, WM_CLOSE, 0, 0);
  }
  return 0;
}

platform::MenuHandle FakeDesktop::GetSystemMenu(platform::Hwnd window) {
  return Window(window) ? window : 0;
}

bool FakeDesktop::AppendMenu(platform::MenuHandle menu, uint32_t flags, uintptr_t id,
                             const std::string& text) {
  FakeWindow* window = Window(menu);
  if (!window) return false;
  window->systemMenu.push_back((flags & MF_SEPARATOR) ? "-" : std::to_string(id) + ":" + text);
  return true;
}

std::string FakeDesktop::LoadString(int id) {
  auto overridden = m_stringOverrides.find(id);
  if (overridden != m_stringOverrides.end()) return overridden->second;
  const LanguageResources& resources = Resources();
  auto it = resources.strings.find(id);
  return it == resources.strings.end() ? std::string() : it->second;
}

platform::IconHandle FakeDesktop::LoadIcon(int id) { return id == 128 ? 0x1280 : 0; }

void FakeDesktop::PaintIconic(platform::Hwnd, platform::IconHandle, int x, int y) {
  iconPaints.push_back({x, y});
}

int FakeDesktop::MessageBox(platform::Hwnd owner, const std::string& text,
                            const std::string& caption, uint32_t type) {
  const platform::Hwnd ownerWindow = TopLevelOf(owner);
  if (owner && !ownerWindow) {
    m_journal.Add("messagebox refused: no owner window");
    return 0;
  }
  MessageBoxRecord record{owner, text, caption, type, owner != 0 && IsWindowVisible(owner)};
  m_messageBoxes.push_back(record);
  m_journal.Add("messagebox " + caption + ": " + text);
  // Like a dialog, the box disables its owner until it is answered.
  const bool disablesOwner = ownerWindow && IsWindowEnabled(ownerWindow);
  if (disablesOwner) m_windows[ownerWindow].enabled = false;
  if (m_messageBoxHook) m_messageBoxHook(record);
  if (disablesOwner) m_windows[ownerWindow].enabled = true;
  if (m_messageBoxAnswer) return m_messageBoxAnswer;
  // The first button of each MB_ type: OK, OK, Abort, Yes, Yes, Retry, Cancel.
  constexpr int kFirstButton[] = {IDOK, IDOK, IDABORT, IDYES, IDYES, IDRETRY, IDCANCEL};
  const uint32_t kind = type & 0x0F;
  return kind < std::size(kFirstButton) ? kFirstButton[kind] : IDOK;
}

platform::CursorHandle FakeDesktop::ShowWaitCursor() {
  platform::CursorHandle previous = m_cursor == Cursor::Arrow  ? kArrowCursor
                                    : m_cursor == Cursor::Wait ? kWaitCursor
                                                               : 0;
  m_cursor = Cursor::Wait;
  ++waitCursorShows;
  m_journal.Add("wait cursor on");
  return previous;
}

void FakeDesktop::RestoreCursor(platform::CursorHandle previous) {
  switch (previous) {
    case 0:
      m_cursor = Cursor::Hidden;
      m_journal.Add("cursor hidden");
      break;
    case kArrowCursor:
      m_cursor = Cursor::Arrow;
      m_journal.Add("wait cursor off");
      break;
    case kWaitCursor:
      m_cursor = Cursor::Wait;
      break;
    default:
      break;  // SetCursor refuses a handle that is no cursor
  }
}

void FakeDesktop::EnableThreeDControls() {
  threeDControlsEnabled = true;
  m_journal.Add("3d controls");
}

}  // namespace fake
