// The fake window manager. Top-level windows of other programs can be placed
// (appearing at a given virtual time) and are closed by WM_CLOSE; modal
// dialogs are built from the program's real dialog templates (parsed from the
// resource scripts) and driven by a script of user actions: clicks behave like
// the automatic check boxes and radio buttons of Windows, Escape and the close
// box send IDCANCEL. Message boxes are recorded and answered with OK.
#pragma once

#include <functional>
#include <map>
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
  bool destroyed = false;
  bool visible = true;
  bool enabled = true;
  bool iconic = false;
  // Controls.
  platform::Hwnd parent = 0;
  int controlId = 0;
  ControlKind kind = ControlKind::Static;
  bool groupStart = false;
  int check = 0;
  // Dialogs.
  int templateId = 0;
  platform::DialogProcedure* procedure = nullptr;
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

// One step of a scripted user.
struct UserAction {
  enum class Kind { Click, Escape, CloseBox, SysCommand, Inspect } kind;
  int id = 0;
  std::function<void(platform::Hwnd dialog)> inspect;
};
UserAction Click(int controlId);
UserAction PressEscape();
UserAction PressCloseBox();
UserAction ChooseSysCommand(int command);
UserAction Inspect(std::function<void(platform::Hwnd dialog)> inspect);

class FakeDesktop : public platform::Desktop {
 public:
  FakeDesktop(FakeClock& clock, Journal& journal);

  // Test controls.
  platform::Hwnd AddTopLevelWindow(const std::string& title, uint64_t appearsAt = 0,
                                   bool closesOnWmClose = true);
  // Language file of src/res/lang whose templates and strings are used.
  void SetLanguageFile(const std::string& fileName) { m_languageFile = fileName; }
  void OverrideString(int id, const std::string& text) { m_stringOverrides[id] = text; }
  // Queues the actions for the next run of a template.
  void Script(int templateId, std::vector<UserAction> actions);
  void OnMessageBox(std::function<void(const MessageBoxRecord&)> hook) { m_messageBoxHook = hook; }

  // Observations.
  std::vector<std::string> ClosedWindows() const { return m_closed; }
  bool IsOpen(const std::string& title) const;
  int Looks(const std::string& title) const;
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_messageBoxes; }
  const std::vector<int>& DialogsRun() const { return m_dialogsRun; }
  const std::vector<std::string>& Errors() const { return m_errors; }
  FakeWindow* Window(platform::Hwnd handle);
  FakeWindow* Control(platform::Hwnd dialog, int controlId);
  bool WaitCursorShown() const { return m_waitCursor; }
  int waitCursorShows = 0;
  bool threeDControlsEnabled = false;
  std::vector<std::pair<int, int>> iconPaints;
  std::vector<uint32_t> defaultProcessed;

  // platform::Desktop
  platform::Hwnd FindTopLevelWindow(const std::string& title) override;
  intptr_t SendMessage(platform::Hwnd window, uint32_t message, uintptr_t wParam,
                       intptr_t lParam) override;
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
  const LanguageResources& Resources();
  platform::Hwnd NewWindow(FakeWindow window);
  void Perform(FakeWindow& dialog, const UserAction& action);
  void ClickControl(FakeWindow& dialog, FakeWindow& control);
  intptr_t Deliver(FakeWindow& dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

  FakeClock& m_clock;
  Journal& m_journal;
  std::map<platform::Hwnd, FakeWindow> m_windows;
  platform::Hwnd m_nextHandle = 0x10000;
  std::string m_languageFile = "en-US.rc";
  std::map<std::string, LanguageResources> m_resources;
  std::map<int, std::string> m_stringOverrides;
  std::map<int, std::vector<std::vector<UserAction>>> m_scripts;
  std::function<void(const MessageBoxRecord&)> m_messageBoxHook;
  std::vector<std::string> m_closed;
  std::map<std::string, int> m_looks;
  std::vector<MessageBoxRecord> m_messageBoxes;
  std::vector<int> m_dialogsRun;
  std::vector<std::string> m_errors;
  bool m_waitCursor = false;
};

}  // namespace fake
