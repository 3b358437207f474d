// The fake window manager. Top-level windows of other programs can be placed
// (appearing at a given virtual time) and are closed by WM_CLOSE; modal
// dialogs are built from the program's real dialog templates (parsed from the
// resource scripts) and driven by a script of user actions: clicks behave like
// the automatic check boxes and radio buttons of Windows, Escape and the close
// box reach IDCANCEL the way the dialog manager routes them. Message boxes are
// recorded and answered with OK. A dialog or message box with an owner
// disables the owner while it runs; windows it does not own stay clickable.
//
// The fake fails the running test by itself when a script does not fit the
// dialog: an action the user could not take (a missing, hidden or disabled
// control, a dialog that is not showing), a dialog left open after its script
// or run without one, a script never used, a missing template.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <source_location>
#include <string>
#include <vector>

#include "fake/FakeSystem.h"
#include "fake/Journal.h"
#include "fake/ResourceScript.h"
#include "platform/Desktop.h"

namespace fake {

struct FakeWindow {
  platform::Hwnd handle = 0;
  std::string title;
  bool topLevel = false;
  bool isDialog = false;
  uint64_t appearsAt = 0;
  bool closesOnWmClose = true;
  // Whether the window's program still answers messages, and how long it
  // takes to handle one sent to it.
  bool answering = true;
  uint32_t answerTime = 0;
  bool destroyed = false;
  bool visible = true;
  bool enabled = true;
  bool iconic = false;
  platform::Rect client{0, 0, 254, 207};
  // Controls.
  platform::Hwnd parent = 0;
  int controlId = 0;
  ControlKind kind = ControlKind::Static;
  bool groupStart = false;
  int check = 0;
  // Dialogs.
  int templateId = 0;
  platform::DialogProcedure* procedure = nullptr;
  platform::Hwnd owner = 0;     // top-level window disabled while the dialog runs
  bool reenablesOwner = false;  // the owner was enabled when the dialog started
  uint32_t style = 0;           // of the template
  bool ended = false;
  intptr_t result = 0;
  std::vector<platform::Hwnd> controls;
  std::map<int, platform::IconHandle> icons;  // by ICON_BIG / ICON_SMALL
  std::vector<std::string> systemMenu;        // "-" for a separator, else "id:text"
  std::vector<uint32_t> received;
};

struct MessageBoxRecord {
  platform::Hwnd owner = 0;
  std::string text;
  std::string caption;
  uint32_t type = 0;
  bool ownerVisible = false;
};

// The cursor shown; SetCursor(NULL) hides it.
enum class Cursor { Arrow, Wait, Hidden };

// One step of a scripted user; a mismatch is reported at the line that wrote it.
struct UserAction {
  enum class Kind { Click, Escape, CloseBox, SysCommand, Inspect } kind;
  int id = 0;
  std::function<void(platform::Hwnd dialog)> inspect;
  std::source_location where;
};
UserAction Click(int controlId, std::source_location where = std::source_location::current());
UserAction PressEscape(std::source_location where = std::source_location::current());
UserAction PressCloseBox(std::source_location where = std::source_location::current());
UserAction ChooseSysCommand(int command,
                            std::source_location where = std::source_location::current());
UserAction Inspect(std::function<void(platform::Hwnd dialog)> inspect,
                   std::source_location where = std::source_location::current());

class FakeDesktop : public platform::Desktop {
 public:
  FakeDesktop(FakeClock& clock, Journal& journal, LastError& lastError);
  // Fails the test for each script that never ran.
  ~FakeDesktop() override;

  // Test controls.
  platform::Hwnd AddTopLevelWindow(const std::string& title, uint64_t appearsAt = 0,
                                   bool closesOnWmClose = true);
  // The window's program stops answering messages: a synchronous send to it
  // never returns (the fake fails the test instead of waiting for ever).
  void StopAnswering(platform::Hwnd window);
  // The window takes this long to handle each message sent to it.
  void SetAnswerTime(platform::Hwnd window, uint32_t milliseconds);
  // Language file of src/res/lang whose templates and strings are used.
  void SetLanguageFile(const std::string& fileName) { m_languageFile = fileName; }
  void OverrideString(int id, const std::string& text) { m_stringOverrides[id] = text; }
  // Drops the scripts not yet run (a run that a failure cut short).
  void ForgetScripts() { m_scripts.clear(); }
  // Queues the actions for the next run of a template.
  void Script(int templateId, std::vector<UserAction> actions,
              std::source_location where = std::source_location::current());
  // Performs one action on a running dialog now, as a user would while
  // another window runs (from a message-box hook or another dialog's script).
  void Act(platform::Hwnd dialog, const UserAction& action);
  void OnMessageBox(std::function<void(const MessageBoxRecord&)> hook) { m_messageBoxHook = hook; }
  // The button the user presses in every message box from now on; without
  // it, the box's first button (OK, Yes, Abort, Retry or Cancel).
  void AnswerMessageBoxes(int button) { m_messageBoxAnswer = button; }
  // The cursor before the program changes it: what ShowWaitCursor first returns.
  void SetStartingCursor(Cursor cursor) { m_cursor = cursor; }

  // Observations.
  std::vector<std::string> ClosedWindows() const { return m_closed; }
  bool IsOpen(const std::string& title) const;
  int Looks(const std::string& title) const;
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_messageBoxes; }
  const std::vector<int>& DialogsRun() const { return m_dialogsRun; }
  FakeWindow* Window(platform::Hwnd handle);
  FakeWindow* Control(platform::Hwnd dialog, int controlId);
  Cursor CurrentCursor() const { return m_cursor; }
  // A window and its parents are visible; a window takes input.
  bool IsWindowVisible(platform::Hwnd window);
  bool IsWindowEnabled(platform::Hwnd window);
  int waitCursorShows = 0;
  bool threeDControlsEnabled = false;
  std::vector<std::pair<int, int>> iconPaints;
  std::vector<uint32_t> defaultProcessed;

  // platform::Desktop
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
  const LanguageResources& Resources();
  platform::Hwnd NewWindow(FakeWindow window);
  void Perform(FakeWindow& dialog, const UserAction& action);
  void ClickControl(FakeWindow& dialog, FakeWindow& control);
  // The top-level window a dialog or message box of this owner belongs to:
  // the owner itself or the window it is a control of; 0 for no window.
  platform::Hwnd TopLevelOf(platform::Hwnd owner);
  void ReenableOwner(FakeWindow& dialog);
  // The dialog procedure, then the default dialog processing if it declines.
  intptr_t Deliver(FakeWindow& dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
  intptr_t DefaultDialogProcessing(FakeWindow& dialog, uint32_t message, uintptr_t wParam);
  bool InSystemMenu(const FakeWindow& dialog, int command) const;

  struct ScriptRun {
    std::vector<UserAction> actions;
    std::source_location where;
  };

  intptr_t Handle(FakeWindow& window, uint32_t message, uintptr_t wParam, intptr_t lParam);

  FakeClock& m_clock;
  Journal& m_journal;
  LastError& m_lastError;
  std::map<platform::Hwnd, FakeWindow> m_windows;
  platform::Hwnd m_nextHandle = 0x10000;
  std::string m_languageFile = "en-US.rc";
  std::map<std::string, LanguageResources> m_resources;
  std::map<int, std::string> m_stringOverrides;
  std::map<int, std::deque<ScriptRun>> m_scripts;
  std::function<void(const MessageBoxRecord&)> m_messageBoxHook;
  int m_messageBoxAnswer = 0;
  std::vector<std::string> m_closed;
  std::map<std::string, int> m_looks;
  std::vector<MessageBoxRecord> m_messageBoxes;
  std::vector<int> m_dialogsRun;
  Cursor m_cursor = Cursor::Arrow;
};

}  // namespace fake
