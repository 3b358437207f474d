// The fake window manager must refuse what Windows would not let a user do,
// and fail the test by itself when a script does not fit its dialog.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fake/CapturedFailures.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

using fake::FailuresOf;
using platform::Hwnd;

// Resource ids (src/res/resource.h) of the templates these tests run; the
// fake and its tests use only the seam, not the program's headers.
constexpr int kSetupDialog = 102;    // OK, Cancel, two check boxes, static text
constexpr int kRestartPrompt = 132;  // OK and two radio buttons, no Cancel
constexpr int kInstallAppsBox = 1001;
constexpr int kPleaseWaitText = 1003;
constexpr int kAboutCommand = 0x0010;

constexpr uint32_t kWsSysMenu = 0x00080000;
constexpr int kScClose = 0xF060;
constexpr int kEndedByProgram = 3;

// Ends the dialog on OK and Cancel and records every command and system command.
class TestDialog : public platform::DialogProcedure {
 public:
  explicit TestDialog(fake::FakeMachine& machine) : m_machine(machine) {}

  intptr_t Run(int templateId, Hwnd owner = 0) {
    return m_machine.desktop.RunModalDialog(templateId, owner, this);
  }
  intptr_t DialogProc(Hwnd dialog, uint32_t message, uintptr_t wParam, intptr_t,
                      bool* handled) override {
    *handled = true;
    switch (message) {
      case WM_INITDIALOG:
        handle = dialog;
        if (onInit) onInit(dialog);
        return 1;
      case WM_COMMAND: {
        const int id = static_cast<int>(wParam & 0xFFFF);
        commands.push_back(id);
        if (id == IDOK || id == IDCANCEL) m_machine.desktop.EndDialog(dialog, id);
        return 1;
      }
      case WM_SYSCOMMAND:
        systemCommands.push_back(static_cast<int>(wParam));
        *handled = !passSystemCommands;
        return 0;
      default:
        *handled = false;
        return 0;
    }
  }

  std::function<void(Hwnd dialog)> onInit;
  bool passSystemCommands = true;
  Hwnd handle = 0;
  std::vector<int> commands;
  std::vector<int> systemCommands;

 private:
  fake::FakeMachine& m_machine;
};

// Runs the main selection dialog through prepare, then the action, then an
// end by the program; expects exactly one failure, naming the problem, at the
// line that wrote the action.
void ExpectActionRefused(const fake::UserAction& action, const std::string& problem,
                         const std::function<void(fake::FakeMachine&, Hwnd)>& prepare = nullptr) {
  std::vector<testing::TestPartResult> failures = FailuresOf([&] {
    fake::FakeMachine machine;
    TestDialog dialog(machine);
    machine.desktop.Script(kSetupDialog, {fake::Inspect([&](Hwnd handle) {
                                            if (prepare) prepare(machine, handle);
                                          }),
                                          action, fake::Inspect([&](Hwnd handle) {
                                            machine.desktop.EndDialog(handle, kEndedByProgram);
                                          })});
    EXPECT_EQ(dialog.Run(kSetupDialog), kEndedByProgram);
    EXPECT_TRUE(dialog.commands.empty());  // the refused action sent nothing
    EXPECT_TRUE(dialog.systemCommands.empty());
  });
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(std::string(failures[0].message()).find(problem), std::string::npos)
      << failures[0].message();
  EXPECT_STREQ(failures[0].file_name(), action.where.file_name());
  EXPECT_EQ(failures[0].line_number(), static_cast<int>(action.where.line()));
}

TEST(FakeDesktop, RefusesActionsTheDialogDoesNotOffer) {
  auto disable = [](int id) {
    return [id](fake::FakeMachine& m, Hwnd dialog) {
      m.desktop.EnableWindow(m.desktop.GetDlgItem(dialog, id), false);
    };
  };
  {
    SCOPED_TRACE("a control the template lacks");
    ExpectActionRefused(fake::Click(1099), "no such control");
  }
  {
    SCOPED_TRACE("static text");
    ExpectActionRefused(fake::Click(kPleaseWaitText), "not a button");
  }
  {
    SCOPED_TRACE("a disabled button");
    ExpectActionRefused(fake::Click(IDOK), "the control is disabled", disable(IDOK));
  }
  {
    SCOPED_TRACE("a hidden button");
    ExpectActionRefused(fake::Click(IDOK), "the control is hidden",
                        [](fake::FakeMachine& m, Hwnd dialog) {
                          m.desktop.ShowWindow(m.desktop.GetDlgItem(dialog, IDOK), SW_HIDE);
                        });
  }
  {
    SCOPED_TRACE("Escape with the Cancel button disabled");
    ExpectActionRefused(fake::PressEscape(), "ignored, as the Cancel button is disabled",
                        disable(IDCANCEL));
  }
  {
    SCOPED_TRACE("a close box the dialog lacks");
    ExpectActionRefused(
        fake::PressCloseBox(), "no system menu or close box",
        [](fake::FakeMachine& m, Hwnd dialog) { m.desktop.Window(dialog)->style &= ~kWsSysMenu; });
  }
  {
    SCOPED_TRACE("a system command the menu lacks");
    ExpectActionRefused(fake::ChooseSysCommand(kAboutCommand), "not in the system menu");
  }
  {
    SCOPED_TRACE("a dialog that has hidden itself");
    ExpectActionRefused(
        fake::Click(kInstallAppsBox), "the dialog is not showing",
        [](fake::FakeMachine& m, Hwnd dialog) { m.desktop.ShowWindow(dialog, SW_HIDE); });
  }
}

TEST(FakeDesktop, FailsForScriptsThatDoNotEndTheirDialog) {
  {
    SCOPED_TRACE("still open after the script");
    const fake::UserAction check = fake::Click(kInstallAppsBox);
    int line = 0;
    std::vector<testing::TestPartResult> failures = FailuresOf([&] {
      fake::FakeMachine machine;
      TestDialog dialog(machine);
      line = __LINE__ + 1;
      machine.desktop.Script(kSetupDialog, {check});
      EXPECT_EQ(dialog.Run(kSetupDialog), IDCANCEL);
    });
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(std::string(failures[0].message()).find("still open after its script"),
              std::string::npos);
    EXPECT_EQ(failures[0].line_number(), line);
  }
  {
    SCOPED_TRACE("actions after the end");
    const fake::UserAction late = fake::Click(IDCANCEL);
    std::vector<testing::TestPartResult> failures = FailuresOf([&] {
      fake::FakeMachine machine;
      TestDialog dialog(machine);
      machine.desktop.Script(kSetupDialog, {fake::Click(IDOK), late, fake::Click(IDOK)});
      EXPECT_EQ(dialog.Run(kSetupDialog), IDOK);
    });
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(std::string(failures[0].message()).find("has ended before this action"),
              std::string::npos);
    EXPECT_EQ(failures[0].line_number(), static_cast<int>(late.where.line()));
  }
  {
    SCOPED_TRACE("no script");
    EXPECT_NONFATAL_FAILURE(
        {
          fake::FakeMachine machine;
          TestDialog dialog(machine);
          dialog.Run(kRestartPrompt);
        },
        "dialog 132 (\"Restarting Windows\") runs without a script");
  }
  {
    SCOPED_TRACE("a script that never runs");
    EXPECT_NONFATAL_FAILURE(
        {
          fake::FakeMachine machine;
          machine.desktop.Script(kRestartPrompt, {fake::Click(IDOK)});
        },
        "the script for dialog 132 never ran");
  }
  {
    SCOPED_TRACE("a template the language file lacks");
    EXPECT_NONFATAL_FAILURE(
        {
          fake::FakeMachine machine;
          machine.desktop.Script(999, {fake::Click(IDOK)});
          TestDialog dialog(machine);
          EXPECT_EQ(dialog.Run(999), -1);
        },
        "the program runs dialog 999, which en-US.rc does not define");
  }
}

TEST(FakeDesktop, TheCloseBoxGoesThroughTheSystemCommandToCancel) {
  fake::FakeMachine machine;
  TestDialog dialog(machine);
  machine.desktop.Script(kRestartPrompt, {fake::PressCloseBox()});
  EXPECT_EQ(dialog.Run(kRestartPrompt), IDCANCEL);
  EXPECT_EQ(dialog.systemCommands, std::vector<int>{kScClose});
  EXPECT_EQ(dialog.commands, std::vector<int>{IDCANCEL});

  // A dialog that keeps the close command to itself stays open.
  std::vector<testing::TestPartResult> failures = FailuresOf([] {
    fake::FakeMachine other;
    TestDialog keeping(other);
    keeping.passSystemCommands = false;
    other.desktop.Script(kRestartPrompt, {fake::PressCloseBox()});
    keeping.Run(kRestartPrompt);
    EXPECT_TRUE(keeping.commands.empty());
  });
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(std::string(failures[0].message()).find("still open"), std::string::npos);

  // An item the program appended can be chosen.
  fake::FakeMachine about;
  TestDialog withMenu(about);
  withMenu.onInit = [&](Hwnd handle) {
    about.desktop.AppendMenu(about.desktop.GetSystemMenu(handle), MF_STRING, kAboutCommand,
                             "&About");
  };
  about.desktop.Script(kSetupDialog, {fake::ChooseSysCommand(kAboutCommand), fake::PressEscape()});
  EXPECT_EQ(withMenu.Run(kSetupDialog), IDCANCEL);
  EXPECT_EQ(withMenu.systemCommands, std::vector<int>{kAboutCommand});
}

TEST(FakeDesktop, RestoringACursorShowsThatCursorAndNoCursorHidesIt) {
  EXPECT_EQ(fake::FakeMachine().desktop.CurrentCursor(), fake::Cursor::Arrow);
  for (fake::Cursor found : {fake::Cursor::Arrow, fake::Cursor::Hidden, fake::Cursor::Wait}) {
    SCOPED_TRACE(static_cast<int>(found));
    fake::FakeMachine machine;
    machine.desktop.SetStartingCursor(found);
    const platform::CursorHandle outer = machine.desktop.ShowWaitCursor();
    EXPECT_EQ(machine.desktop.CurrentCursor(), fake::Cursor::Wait);
    const platform::CursorHandle inner = machine.desktop.ShowWaitCursor();
    machine.desktop.RestoreCursor(inner);
    EXPECT_EQ(machine.desktop.CurrentCursor(), fake::Cursor::Wait);
    machine.desktop.RestoreCursor(outer);
    EXPECT_EQ(machine.desktop.CurrentCursor(), found);
  }
}

// The main selection dialog runs the restart prompt (owned by the given window
// of it, or by none) and a message box from its script, then is cancelled.
struct OwnedRun {
  std::function<void(fake::FakeMachine&, Hwnd outer)> duringPrompt;
  std::function<void(fake::FakeMachine&, Hwnd outer)> duringBox;
  bool promptOwned = true;
  bool boxOwned = true;
};

void RunOwned(const OwnedRun& run) {
  fake::FakeMachine machine;
  TestDialog outer(machine), prompt(machine);
  bool promptShown = false, boxShown = false;
  machine.desktop.Script(
      kSetupDialog,
      {fake::Inspect([&](Hwnd dialog) {
         // A control as the parent: the dialog's owner is its top-level window.
         const Hwnd parent = run.promptOwned ? machine.desktop.GetDlgItem(dialog, IDOK) : 0;
         EXPECT_EQ(prompt.Run(kRestartPrompt, parent), IDOK);
         EXPECT_TRUE(machine.desktop.IsWindowEnabled(dialog));
         machine.desktop.OnMessageBox([&](const fake::MessageBoxRecord&) {
           boxShown = true;
           run.duringBox(machine, dialog);
         });
         EXPECT_EQ(machine.desktop.MessageBox(run.boxOwned ? dialog : 0, "text", "Setup", MB_OK),
                   IDOK);
         EXPECT_TRUE(machine.desktop.IsWindowEnabled(dialog));
       }),
       fake::Click(IDCANCEL)});
  machine.desktop.Script(kRestartPrompt, {fake::Inspect([&](Hwnd) {
                                            promptShown = true;
                                            run.duringPrompt(machine, outer.handle);
                                          }),
                                          fake::Click(IDOK)});
  EXPECT_EQ(outer.Run(kSetupDialog), IDCANCEL);
  EXPECT_TRUE(promptShown);
  EXPECT_TRUE(boxShown);
}

TEST(FakeDesktop, AnOwnedDialogOrMessageBoxDisablesItsOwnerWhileItRuns) {
  auto ownerRefusesClicks = [](fake::FakeMachine& machine, Hwnd outer) {
    EXPECT_FALSE(machine.desktop.IsWindowEnabled(outer));
    EXPECT_NONFATAL_FAILURE(machine.desktop.Act(outer, fake::Click(kInstallAppsBox)),
                            "the dialog is disabled");
  };
  RunOwned({ownerRefusesClicks, ownerRefusesClicks});
}

TEST(FakeDesktop, WithoutAnOwnerTheOtherDialogStaysClickable) {
  int clicks = 0;
  auto ownerTakesClicks = [&](fake::FakeMachine& machine, Hwnd outer) {
    EXPECT_TRUE(machine.desktop.IsWindowEnabled(outer));
    machine.desktop.Act(outer, fake::Click(kInstallAppsBox));
    ++clicks;
    EXPECT_EQ(machine.desktop.Control(outer, kInstallAppsBox)->check, clicks % 2);
  };
  RunOwned({ownerTakesClicks, ownerTakesClicks, false, false});
  EXPECT_EQ(clicks, 2);
}

TEST(FakeDesktop, AnOwnerDisabledBeforeStaysDisabledAndNoWindowIsRefused) {
  fake::FakeMachine machine;
  TestDialog outer(machine), prompt(machine);
  machine.desktop.Script(kSetupDialog, {fake::Inspect([&](Hwnd dialog) {
                           machine.desktop.EnableWindow(dialog, false);
                           EXPECT_EQ(prompt.Run(kRestartPrompt, dialog), IDOK);
                           machine.desktop.MessageBox(dialog, "text", "Setup", MB_OK);
                           EXPECT_FALSE(machine.desktop.IsWindowEnabled(dialog));
                           machine.desktop.EndDialog(dialog, IDOK);
                         })});
  machine.desktop.Script(kRestartPrompt, {fake::Click(IDOK)});
  EXPECT_EQ(outer.Run(kSetupDialog), IDOK);

  // A handle that is no window: DialogBoxParam answers 0 and shows nothing,
  // MessageBox fails.
  const Hwnd stale = outer.handle;
  EXPECT_EQ(prompt.Run(kRestartPrompt, stale), 0);
  EXPECT_EQ(machine.desktop.MessageBox(stale, "text", "Setup", MB_OK), 0);
  EXPECT_EQ(machine.desktop.DialogsRun(), (std::vector<int>{kSetupDialog, kRestartPrompt}));
  EXPECT_EQ(machine.desktop.MessageBoxes().size(), 1u);
}

// A program that has stopped answering never returns a synchronous send; a
// send with a time-out gives up on it, at once when asked to.
TEST(FakeDesktop, ASendToAWindowThatStoppedAnsweringNeverReturnsUnlessItMayGiveUp) {
  fake::FakeMachine machine;
  Hwnd hung = machine.desktop.AddTopLevelWindow("Mixer");
  machine.desktop.StopAnswering(hung);
  EXPECT_EQ(FailuresOf([&] { machine.desktop.SendMessage(hung, WM_CLOSE, 0, 0); }).size(), 1u);

  uintptr_t answer = 7;
  EXPECT_FALSE(
      machine.desktop.SendMessageTimeout(hung, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 30000, &answer));
  EXPECT_EQ(machine.lastError.code, ERROR_TIMEOUT);
  EXPECT_EQ(machine.clock.Now(), 0u);
  EXPECT_FALSE(
      machine.desktop.SendMessageTimeout(hung, WM_CLOSE, 0, 0, SMTO_NORMAL, 30000, &answer));
  EXPECT_EQ(machine.clock.Now(), 30000u);
  EXPECT_EQ(answer, 7u);
  EXPECT_TRUE(machine.desktop.IsOpen("Mixer"));

  // A slow window that answers within the time-out closes as with SendMessage.
  Hwnd slow = machine.desktop.AddTopLevelWindow("TuneStack");
  machine.desktop.SetAnswerTime(slow, 2000);
  EXPECT_TRUE(
      machine.desktop.SendMessageTimeout(slow, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 30000, &answer));
  EXPECT_EQ(machine.clock.Now(), 32000u);
  EXPECT_FALSE(machine.desktop.IsOpen("TuneStack"));
}

}  // namespace
