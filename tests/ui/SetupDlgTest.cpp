// The main selection dialog on the fake machine: what each combination of the
// check boxes does, the states the window passes through, the missing suite
// setup, the system menu and the about box, the minimised icon, and OK and
// Cancel clicks that arrive while the work runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "res/resource.h"
#include "ui/SetupDlg.h"

namespace {

using driver_test::ExpectInOrder;

// A disc folder with a blank: the hand-over command and the launch must keep it whole.
const std::string kDisc = "D:\\Tonivo Disc\\";
const std::string kSuiteSetup = kDisc + "W2K-ME\\app\\Setup.exe";
const std::string kUninstaller = "C:\\UNINST\\UNINS.EXE";
constexpr const char* kHandOver = "C:\\WINDOWS\\QXISETUP.INI";
constexpr const char* kSuiteMissing = "Can not find the Tonivo Applications setup program.";
constexpr const char* kFilesMissing = "Can not find installation files.";
constexpr uint32_t kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

uintptr_t Clicked(int controlId) { return (uintptr_t{BN_CLICKED} << 16) | uintptr_t(controlId); }

// A machine with the disc, a running "TuneStack" and a previous suite to
// uninstall, and the main dialog run on it.
class DialogRun {
 public:
  DialogRun() {
    machine.system.SetVersion(fake::versions::kWindowsXp);
    machine.processes.SetCommandLine("\"" + kDisc + "W2KSetup.exe\"");
    machine.files.AddFile(kDisc + "W2KSetup.exe", "this program");
    machine.files.AddFile(kDisc + "Setup.exe", "general setup");
    machine.files.AddFile(kSuiteSetup, "suite setup");
    driver_test::AddDriverPackage(machine, kDisc + "W2K-ME\\drv\\");
    machine.desktop.AddTopLevelWindow("TuneStack");
    machine.registry.SetString(platform::Hive::LocalMachine,
                               "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tonivo "
                               "Applications",
                               "UninstallString", kUninstaller);
    machine.files.AddFile(kUninstaller, "uninstaller");
  }

  // Runs the dialog with this script; the process's end shows as exitCode.
  intptr_t RunDialog(std::vector<fake::UserAction> script) {
    if (!script.empty()) machine.desktop.Script(IDD_SETUP, std::move(script));
    CWinApp app(machine.platform(), "");
    CSetupDlg dialog(app);
    try {
      const intptr_t result = dialog.DoModal();
      dialogExitCode = dialog.ExitCode();
      return result;
    } catch (const fake::ProcessExit& exit) {
      exitCode = exit.exitCode;
      return -1;
    }
  }

  fake::UserAction Capture() {
    return fake::Inspect([this](platform::Hwnd dialog) { this->dialog = dialog; });
  }
  fake::FakeWindow& Control(int id) { return *machine.desktop.Control(dialog, id); }
  bool Visible(int id) { return machine.desktop.IsWindowVisible(Control(id).handle); }
  bool DialogVisible() { return machine.desktop.IsWindowVisible(dialog); }
  std::vector<std::string> Started() const {
    std::vector<std::string> lines;
    for (const auto& started : machine.processes.Started()) lines.push_back(started.commandLine);
    return lines;
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : machine.desktop.MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  fake::FakeMachine machine;
  platform::Hwnd dialog = 0;
  int exitCode = -1;        // the code the process ended with, when it ended
  int dialogExitCode = -1;  // the code of the work OK did
  int clickedDuringWork = 0;
};

// One run of the dialog per test; tests with cases make one per case.
class SetupDlgTest : public ::testing::Test, public DialogRun {};

TEST(SetupDlg, EachCombinationOfTheBoxesDoesItsRowOfWork) {
  struct Row {
    const char* name;
    bool apps, driver, suiteSetupAtOk;
    intptr_t result;
    bool suiteSteps;             // TuneStack closed, previous suite uninstalled
    const char* handOverDriver;  // null: no hand-over file
    bool suiteSetupStarted;
    bool driverInstalled;
    int exitCode;  // restart prompts are answered "later"
  };
  const Row rows[] = {
      {"nothing", false, false, true, IDCANCEL, false, nullptr, false, false, 0},
      {"applications", true, false, true, IDOK, true, "NO", true, false, 0},
      {"applications, setup gone", true, false, false, IDOK, true, nullptr, false, false, 2},
      {"both", true, true, true, IDOK, true, "YES", true, false, 0},
      {"both, setup gone", true, true, false, IDOK, true, nullptr, false, true, 3010},
      {"driver, setup gone", false, true, false, IDOK, false, nullptr, false, true, 3010},
      {"driver", false, true, true, IDOK, false, nullptr, false, true, 3010},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DialogRun t;
    fake::FakeMachine& m = t.machine;
    if (row.driverInstalled) driver_test::PrepareMachine(m);
    std::vector<fake::UserAction> script{t.Capture()};
    if (!row.apps) script.push_back(fake::Click(IDC_INSTALL_APPS));
    if (!row.driver) script.push_back(fake::Click(IDC_INSTALL_DRIVER));
    if (!row.suiteSetupAtOk) {
      script.push_back(fake::Inspect([&](platform::Hwnd) { m.files.DeleteFile(kSuiteSetup); }));
    }
    // OK is disabled with nothing checked; a program can still send its command.
    script.push_back(
        row.apps || row.driver ? fake::Click(IDOK) : fake::Inspect([&](platform::Hwnd dialog) {
          m.desktop.SendMessage(dialog, WM_COMMAND, Clicked(IDOK), 0);
        }));

    EXPECT_EQ(t.RunDialog(script), row.result);
    EXPECT_EQ(t.dialogExitCode, row.exitCode);

    std::vector<std::string> started;
    std::vector<std::string> messages;
    if (row.suiteSteps) started.push_back(kUninstaller + " -a");
    if (row.suiteSetupStarted) started.push_back("\"" + kSuiteSetup + "\"");
    if (row.suiteSteps && !row.suiteSetupAtOk) messages.push_back(kSuiteMissing);
    if (row.driverInstalled) messages.push_back(driver_test::kNotice);
    EXPECT_EQ(t.Started(), started);
    EXPECT_EQ(t.MessageTexts(), messages);
    EXPECT_EQ(m.desktop.ClosedWindows(),
              row.suiteSteps ? std::vector<std::string>{"TuneStack"} : std::vector<std::string>{});
    EXPECT_EQ(m.devices.copiedInfs.size(), row.driverInstalled ? 1u : 0u);
    EXPECT_EQ(m.files.FileExists(kHandOver), row.handOverDriver != nullptr);
    if (row.handOverDriver) {
      const std::string install = row.handOverDriver;
      EXPECT_EQ(m.profiles.Get("Need_To_Reboot", "Install", kHandOver), "NO");
      EXPECT_EQ(m.profiles.Get("Need_To_InstallDriver", "Install", kHandOver), install);
      EXPECT_EQ(m.profiles.Get("Need_To_InstallDriver", "Command", kHandOver),
                install == "YES" ? kDisc + "Setup.exe" : "");
    }
    for (const auto& box : m.desktop.MessageBoxes()) {
      EXPECT_EQ(box.caption, "Setup");
      EXPECT_EQ(box.type, MB_OK);
      EXPECT_EQ(box.owner, t.dialog);
      // Hidden once the suite steps have run; visible behind the driver work otherwise.
      EXPECT_EQ(box.ownerVisible, !row.suiteSteps);
    }
  }
}

TEST_F(SetupDlgTest, OkShowsPleaseWaitPausesThenHidesTheDialogForTheSuiteSetup) {
  struct Seen {
    bool apps = false, driver = false, wait = false, dialog = false, ok = false, cancel = false;
  };
  Seen before, uninstalling, launching;
  auto look = [this](Seen* seen) {
    *seen = {Visible(IDC_INSTALL_APPS), Visible(IDC_INSTALL_DRIVER), Visible(IDC_PLEASE_WAIT),
             DialogVisible(),           Control(IDOK).enabled,       Control(IDCANCEL).enabled};
  };
  machine.processes.SetBehaviour(kUninstaller, {2, 0, [&] { look(&uninstalling); }});
  machine.processes.SetBehaviour(kSuiteSetup, {0, 0, [&] { look(&launching); }});

  EXPECT_EQ(RunDialog({Capture(), fake::Inspect([&](platform::Hwnd) { look(&before); }),
                       fake::Click(IDOK)}),
            IDOK);

  EXPECT_TRUE(before.apps && before.driver && !before.wait && before.dialog);
  EXPECT_TRUE(!uninstalling.apps && !uninstalling.driver && uninstalling.wait &&
              uninstalling.dialog);
  EXPECT_FALSE(launching.dialog);
  // The buttons keep their look throughout.
  for (const Seen& seen : {before, uninstalling, launching}) EXPECT_TRUE(seen.ok && seen.cancel);
  ExpectInOrder(
      machine.journal,
      {"redraw " + std::to_string(IDC_PLEASE_WAIT) + " flags " + std::to_string(kRedrawNow),
       "sleep 200", "close TuneStack", "wait cursor on", "start " + kUninstaller + " -a",
       "wait cursor off", "dialog 102 hidden", "profile C:\\WINDOWS\\QXISETUP.INI*",
       "start \"" + kSuiteSetup + "\"", "dialog 102 ended 1"});
  EXPECT_EQ(machine.clock.Sleeps(), (std::vector<uint32_t>{200, 500, 500}));
  // Both programs run in the "W2K-ME" folder that the start of the dialog entered.
  for (const auto& started : machine.processes.Started()) {
    EXPECT_EQ(started.currentDirectory, kDisc + "W2K-ME");
  }
}

TEST_F(SetupDlgTest, WithoutTheSuiteSetupAtTheStartTheProcessEndsBeforeTheDialogShows) {
  // No "W2K-ME\app\Setup.exe"; the "WIN_ME" one does not count while "W2K-ME\" exists.
  machine.files.DeleteFile(kSuiteSetup);
  machine.files.AddFile(kDisc + "WIN_ME\\app\\Setup.exe", "other layout");
  machine.journal.Clear();

  EXPECT_EQ(RunDialog({}), -1);

  EXPECT_EQ(exitCode, 0);
  ASSERT_EQ(MessageTexts(), std::vector<std::string>{kFilesMissing});
  const fake::MessageBoxRecord& box = machine.desktop.MessageBoxes()[0];
  EXPECT_EQ(box.caption, "Setup");
  EXPECT_EQ(box.type, MB_OK);
  // The process ended inside the dialog's start: its window is still there, never shown.
  const fake::FakeWindow* owner = machine.desktop.Window(box.owner);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(owner->templateId, IDD_SETUP);
  EXPECT_FALSE(owner->visible);
  EXPECT_TRUE(machine.processes.Started().empty());
  for (const char* written : {"profile ", "regset ", "copy ", "mkdir ", "delete "}) {
    EXPECT_TRUE(machine.journal.StartingWith(written).empty()) << written;
  }
}

TEST(SetupDlg, OkIsEnabledWhileABoxIsCheckedInEveryLanguage) {
  for (const char* language : {"en-US.rc", "zh-TW.rc", "fr-FR.rc", "ja-JP.rc", "ko-KR.rc"}) {
    SCOPED_TRACE(language);
    DialogRun t;
    t.machine.desktop.SetLanguageFile(language);
    std::vector<bool> okEnabled;
    auto ok = fake::Inspect([&](platform::Hwnd) {
      okEnabled.push_back(t.Control(IDOK).enabled);
      EXPECT_TRUE(t.Control(IDCANCEL).enabled);
    });
    auto start = fake::Inspect([&](platform::Hwnd dialog) {
      EXPECT_EQ(t.Control(IDC_INSTALL_APPS).check, BST_CHECKED);
      EXPECT_EQ(t.Control(IDC_INSTALL_DRIVER).check, BST_CHECKED);
      EXPECT_FALSE(t.Visible(IDC_PLEASE_WAIT));
      EXPECT_EQ(t.machine.desktop.Window(dialog)->icons[ICON_BIG], 0x1280u);
      EXPECT_EQ(t.machine.desktop.Window(dialog)->icons[ICON_SMALL], 0x1280u);
    });
    EXPECT_EQ(t.RunDialog({t.Capture(), start, ok, fake::Click(IDC_INSTALL_APPS), ok,
                           fake::Click(IDC_INSTALL_DRIVER), ok, fake::Click(IDC_INSTALL_APPS), ok,
                           fake::Click(IDC_INSTALL_APPS), fake::Click(IDC_INSTALL_DRIVER), ok,
                           fake::Click(IDCANCEL)}),
              IDCANCEL);
    EXPECT_EQ(okEnabled, (std::vector<bool>{true, true, false, true, true}));
    // Cancel does nothing.
    EXPECT_TRUE(t.machine.processes.Started().empty());
    EXPECT_TRUE(t.machine.desktop.ClosedWindows().empty());
    EXPECT_TRUE(t.machine.clock.Sleeps().empty());
  }
}

TEST(SetupDlg, TheAboutItemIsAddedOnlyWhenItsStringLoads) {
  for (const char* text : {"&About Setup...", ""}) {
    SCOPED_TRACE(text);
    DialogRun t;
    if (!*text) t.machine.desktop.OverrideString(IDS_ABOUTBOX, "");
    std::vector<std::string> menu;
    t.RunDialog({fake::Inspect([&](platform::Hwnd dialog) {
                   menu = t.machine.desktop.Window(dialog)->systemMenu;
                 }),
                 fake::PressEscape()});
    EXPECT_EQ(menu, (*text ? std::vector<std::string>{"-", "16:&About Setup..."}
                           : std::vector<std::string>{}));
  }
}

TEST_F(SetupDlgTest, SystemCommandsWhoseHighBitsAre0x0010OpenTheAboutBox) {
  auto command = [this](uintptr_t id) {
    return fake::Inspect([this, id](platform::Hwnd dialog) {
      machine.desktop.SendMessage(dialog, WM_SYSCOMMAND, id, 0);
    });
  };
  auto defaultSysCommands = [this] {
    const auto& processed = machine.desktop.defaultProcessed;
    return std::count(processed.begin(), processed.end(), WM_SYSCOMMAND);
  };
  long beforeOther = -1, afterOther = -1;
  // OK, Escape and the close box each end the about box. The dialog behind it
  // takes no input meanwhile.
  auto ownerDisabled = fake::Inspect(
      [this](platform::Hwnd) { EXPECT_FALSE(machine.desktop.IsWindowEnabled(dialog)); });
  machine.desktop.Script(IDD_ABOUTBOX, {ownerDisabled, fake::Click(IDOK)});
  machine.desktop.Script(IDD_ABOUTBOX, {fake::PressEscape()});
  machine.desktop.Script(IDD_ABOUTBOX, {fake::PressCloseBox()});

  RunDialog({Capture(), command(0x0010), command(0x0013),
             fake::Inspect([&](platform::Hwnd) { beforeOther = defaultSysCommands(); }),
             command(0x0020),
             fake::Inspect([&](platform::Hwnd) { afterOther = defaultSysCommands(); }),
             command(0x0010), fake::PressEscape()});

  EXPECT_EQ(machine.desktop.DialogsRun(),
            (std::vector<int>{IDD_SETUP, IDD_ABOUTBOX, IDD_ABOUTBOX, IDD_ABOUTBOX}));
  EXPECT_EQ(
      machine.journal.StartingWith("dialog 100 ended"),
      (std::vector<std::string>{"dialog 100 ended 1", "dialog 100 ended 2", "dialog 100 ended 2"}));
  // 0x0020 went to the default processing; 0x0010 and 0x0013 did not.
  EXPECT_EQ(beforeOther, 0);
  EXPECT_EQ(afterOther, 1);
}

TEST_F(SetupDlgTest, TheMinimisedDialogPaintsItsIconCentred) {
  intptr_t dragIcon = 0;
  RunDialog({Capture(), fake::Inspect([&](platform::Hwnd dialog) {
               machine.desktop.SendMessage(dialog, WM_PAINT, 0, 0);  // not minimised
               fake::FakeWindow& window = *machine.desktop.Window(dialog);
               window.iconic = true;
               window.client = {0, 0, 253, 207};
               machine.desktop.SendMessage(dialog, WM_PAINT, 0, 0);
               window.client = {0, 0, 20, 30};  // smaller than the icon
               machine.desktop.SendMessage(dialog, WM_PAINT, 0, 0);
               dragIcon = machine.desktop.SendMessage(dialog, WM_QUERYDRAGICON, 0, 0);
             }),
             fake::PressEscape()});
  // ((253 - 32 + 1) / 2, (207 - 32 + 1) / 2) and ((20 - 32 + 1) / 2, (30 - 32 + 1) / 2).
  EXPECT_EQ(machine.desktop.iconPaints, (std::vector<std::pair<int, int>>{{111, 88}, {-5, 0}}));
  EXPECT_EQ(machine.desktop.defaultProcessed, std::vector<uint32_t>{WM_PAINT});
  EXPECT_EQ(dragIcon, 0x1280);
}

// A user who clicks OK, then Cancel, then chooses the about item on the dialog
// (still showing and enabled) while its work runs; once.
void ClickOkCancelAndAbout(DialogRun& t) {
  if (t.clickedDuringWork++) return;
  t.machine.desktop.Act(t.dialog, fake::Click(IDOK));
  t.machine.desktop.Act(t.dialog, fake::Click(IDCANCEL));
  t.machine.desktop.Act(t.dialog, fake::ChooseSysCommand(IDM_ABOUTBOX));
}

TEST(SetupDlg, OkCancelAndAboutDuringTheDriverWorkDoNothing) {
  DialogRun t;
  // The restart prompt has no owner, so the dialog behind it takes clicks.
  t.machine.desktop.Script(IDD_RESTART, {fake::Inspect([&](platform::Hwnd) {
                                           EXPECT_TRUE(t.DialogVisible());
                                           EXPECT_TRUE(t.Visible(IDC_PLEASE_WAIT));
                                           ClickOkCancelAndAbout(t);
                                         }),
                                         fake::Click(IDC_RESTART_LATER), fake::Click(IDOK)});
  EXPECT_EQ(t.RunDialog({t.Capture(), fake::Click(IDC_INSTALL_APPS), fake::Click(IDOK)}), IDOK);
  EXPECT_EQ(t.MessageTexts(), std::vector<std::string>{driver_test::kNotice});
  EXPECT_EQ(t.machine.devices.copiedInfs.size(), 1u);
  EXPECT_EQ(t.machine.desktop.DialogsRun(), (std::vector<int>{IDD_SETUP, IDD_RESTART}));
}

TEST(SetupDlg, OkCancelAndAboutWhileTheUninstallerRunsDoNothing) {
  DialogRun t;
  t.machine.processes.SetBehaviour(kUninstaller, {1, 0, [&] { ClickOkCancelAndAbout(t); }});
  EXPECT_EQ(t.RunDialog({t.Capture(), fake::Click(IDOK)}), IDOK);
  EXPECT_EQ(t.Started(),
            (std::vector<std::string>{kUninstaller + " -a", "\"" + kSuiteSetup + "\""}));
  EXPECT_EQ(t.machine.desktop.DialogsRun(), std::vector<int>{IDD_SETUP});
}

}  // namespace
