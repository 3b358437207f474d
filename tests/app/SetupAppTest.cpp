// The start routine run whole on the fake machine: which path each run takes
// and what it leaves behind.
#include <gtest/gtest.h>

#include <functional>

#include "app/CommandLineOf.h"
#include "app/SetupApp.h"
#include "common/SharedNames.h"
#include "common/WindowsVersion.h"
#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

const char* const kDisc = "D:\\DISC\\";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A disc in D:\DISC with the program, the general setup and the suite setup.
void LayOutDisc(fake::FakeMachine& machine) {
  machine.files.AddFile(std::string(kDisc) + "W2KSetup.exe", "program");
  machine.files.AddFile(std::string(kDisc) + "Setup.exe", "general setup");
  machine.files.AddFile(std::string(kDisc) + "W2K-ME\\app\\Setup.exe", "suite setup");
}

struct RunResult {
  int exitCode = 0;
  bool exited = false;  // ended the process itself rather than returning
  int win2000 = -1;
};

// Runs the program from the disc with these arguments.
RunResult RunProgram(fake::FakeMachine& machine, const std::string& arguments,
                     const platform::OsVersion& version) {
  machine.system.SetVersion(version);
  machine.processes.SetCommandLine(std::string(kDisc) + "W2KSetup.exe" +
                                   (arguments.empty() ? "" : " " + arguments));
  CSetupApp app(machine.platform(), CommandLineOf(machine));
  RunResult result;
  try {
    result.exitCode = app.Run();
  } catch (const fake::ProcessExit& exit) {
    result.exitCode = exit.exitCode;
    result.exited = true;
  }
  result.win2000 = app.m_bWin2000;
  return result;
}

class SetupAppTest : public ::testing::Test {
 protected:
  SetupAppTest() { LayOutDisc(machine); }

  void SetupIni(const std::string& body) {
    machine.files.AddFile(std::string(kDisc) + "setup.ini", "[InstallOption]\r\n" + body);
  }

  int Run(const std::string& arguments, const platform::OsVersion& version) {
    RunResult result = RunProgram(machine, arguments, version);
    exited = result.exited;
    win2000 = result.win2000;
    return result.exitCode;
  }

  fake::FakeMachine machine;
  bool exited = false;
  int win2000 = -1;
};

TEST(SetupApp, OlderSystemsForwardToTheDiscSetupWithTheirSwitch) {
  struct Case {
    platform::OsVersion version;
    const char* arguments;
    const char* ini;
    const char* expected;
  };
  const Case cases[] = {
      {fake::versions::kWindows98, "/ap", "", "\"D:\\DISC\\Setup.exe\" /AP"},
      {fake::versions::kWindows98, "/AP", "DriverOnly=1\r\n", "\"D:\\DISC\\Setup.exe\" /AP"},
      {fake::versions::kWindowsMe, "-Driver", "", "\"D:\\DISC\\Setup.exe\" /DRIVER"},
      {fake::versions::kWindowsMe, "", "DriverOnly=1\r\n", "\"D:\\DISC\\Setup.exe\" /DRIVER"},
      {fake::versions::kWindows98, "", "WebSetup=2\r\nInstallWDMDriver=1\r\n",
       "\"D:\\DISC\\Setup.exe\""},
      {fake::versions::kWindowsNt4, "/AP /DRIVER", "", "\"D:\\DISC\\Setup.exe\""},
      {fake::versions::kWindows95, "driver", "", "\"D:\\DISC\\Setup.exe\" /DRIVER"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    fake::FakeMachine machine;
    LayOutDisc(machine);
    machine.files.AddFile(std::string(kDisc) + "setup.ini",
                          std::string("[InstallOption]\r\n") + c.ini);
    RunResult result = RunProgram(machine, c.arguments, c.version);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(result.exited);
    EXPECT_EQ(result.win2000, 0);
    ASSERT_EQ(machine.processes.Started().size(), 1u);
    const fake::StartedProgram& started = machine.processes.Started()[0];
    EXPECT_TRUE(started.viaWinExec);
    EXPECT_EQ(started.commandLine, c.expected);
    EXPECT_EQ(started.showWindow, SW_SHOW);
    EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
    EXPECT_TRUE(machine.desktop.DialogsRun().empty());
    EXPECT_FALSE(machine.desktop.threeDControlsEnabled);
  }
}

TEST_F(SetupAppTest, AQuotedProgramPathCannotStartAShorterOne) {
  // "C:\Program.exe" must not run in place of "C:\Program Files\Disc\Setup.exe".
  machine.files.AddFile("C:\\Program.exe", "intruder");
  machine.files.AddFile("C:\\Program Files\\Disc\\Setup.exe", "general setup");
  machine.system.SetVersion(fake::versions::kWindows98);
  machine.processes.SetCommandLine("\"C:\\Program Files\\Disc\\W2KSetup.exe\"");
  CSetupApp app(machine.platform(), CommandLineOf(machine));
  EXPECT_EQ(app.Run(), 0);
  ASSERT_EQ(machine.processes.Started().size(), 1u);
  EXPECT_EQ(machine.processes.Started()[0].program, "C:\\Program Files\\Disc\\Setup.exe");
}

TEST_F(SetupAppTest, SuiteOnlyClosesUninstallsLaunchesAndExitsWithZero) {
  machine.desktop.AddTopLevelWindow("TuneStack");
  machine.desktop.AddTopLevelWindow("CD Player");
  machine.registry.SetString(platform::Hive::LocalMachine,
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tonivo "
                             "Applications",
                             "UninstallString", "C:\\UNINST\\UNINS.EXE");
  machine.files.AddFile("C:\\UNINST\\UNINS.EXE", "uninstaller");
  machine.processes.SetBehaviour("C:\\UNINST\\UNINS.EXE", {3, 0, nullptr});

  EXPECT_EQ(Run("/ap", fake::versions::kWindows2000), 0);
  EXPECT_TRUE(exited);
  EXPECT_EQ(win2000, 1);
  EXPECT_EQ(machine.desktop.ClosedWindows(), std::vector<std::string>{"TuneStack"});
  EXPECT_EQ(machine.clock.Sleeps(), (std::vector<uint32_t>{500, 500}));
  ASSERT_EQ(machine.processes.Started().size(), 2u);
  EXPECT_EQ(machine.processes.Started()[0].commandLine, "C:\\UNINST\\UNINS.EXE -a");
  EXPECT_EQ(machine.processes.Started()[0].exitCodeQueries, 4);
  EXPECT_EQ(machine.processes.Started()[1].commandLine, "\"D:\\DISC\\W2K-ME\\app\\Setup.exe\"");
  EXPECT_EQ(machine.processes.Started()[1].currentDirectory, "D:\\DISC\\W2K-ME");
  EXPECT_EQ(machine.processes.Started()[1].showWindow, SW_SHOW);
  EXPECT_FALSE(machine.files.FileExists("C:\\WINDOWS\\QXISETUP.INI"));
  EXPECT_FALSE(machine.desktop.threeDControlsEnabled);
}

TEST_F(SetupAppTest, SuiteOnlyWithoutTheSuiteSetupSaysSoAndExitsWithZero) {
  machine.files.DeleteFile(std::string(kDisc) + "W2K-ME\\app\\Setup.exe");
  machine.files.AddFile(std::string(kDisc) + "WIN_ME\\app\\Setup.exe", "other layout");
  EXPECT_EQ(Run("-AP", fake::versions::kWindowsXp), 0);
  EXPECT_TRUE(exited);
  ASSERT_EQ(machine.desktop.MessageBoxes().size(), 1u);
  const fake::MessageBoxRecord& box = machine.desktop.MessageBoxes()[0];
  EXPECT_EQ(box.text, "Can not find the Tonivo Applications setup program.");
  EXPECT_EQ(box.caption, "Setup");
  EXPECT_EQ(box.owner, 0u);
  EXPECT_EQ(box.type, MB_OK);
  EXPECT_TRUE(machine.processes.Started().empty());
}

TEST_F(SetupAppTest, WebSetupOneWithoutWdmDriverDoesNothingButTheDefaults) {
  SetupIni("WebSetup=1\r\nInstallWDMDriver=0\r\n");
  machine.registry.SetString(platform::Hive::LocalMachine, kRunKey, "Tonivo Applications",
                             "C:\\APPS\\START.EXE");
  machine.registry.SetString(platform::Hive::LocalMachine, kRunKey, "Other", "C:\\OTHER.EXE");
  EXPECT_EQ(Run("/AP", fake::versions::kWindowsXp), 0);
  EXPECT_FALSE(exited);
  EXPECT_TRUE(machine.processes.Started().empty());
  EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
  EXPECT_TRUE(machine.desktop.DialogsRun().empty());
  EXPECT_TRUE(machine.desktop.threeDControlsEnabled);
  EXPECT_FALSE(
      machine.registry.Value(platform::Hive::LocalMachine, kRunKey, "Tonivo Applications"));
  EXPECT_TRUE(machine.registry.Value(platform::Hive::LocalMachine, kRunKey, "Other"));
  EXPECT_EQ(machine.registry.OpenKeyCount(), 0u);
}

TEST_F(SetupAppTest, DialogPathsShowTheirTemplateAsTheMainWindow) {
  machine.desktop.Script(IDD_SETUP, {fake::Click(IDCANCEL)});
  EXPECT_EQ(Run("", fake::versions::kWindowsXp), 1602);
  EXPECT_EQ(machine.desktop.DialogsRun(), std::vector<int>{IDD_SETUP});
  EXPECT_TRUE(machine.desktop.threeDControlsEnabled);

  fake::FakeMachine options;
  options.files.AddFile(std::string(kDisc) + "setup.ini",
                        "[InstallOption]\r\nWebSetup=1\r\nInstallWDMDriver=1\r\n");
  options.processes.SetCommandLine(std::string(kDisc) + "W2KSetup.exe");
  options.desktop.Script(IDD_WDM_OPTIONS, {fake::PressEscape()});
  CSetupApp app(options.platform(), CommandLineOf(options));
  EXPECT_EQ(app.Run(), 1602);
  EXPECT_EQ(options.desktop.DialogsRun(), std::vector<int>{IDD_WDM_OPTIONS});
}

TEST_F(SetupAppTest, TheRunValueGoesOnEveryPathButTheLogonRun) {
  machine.registry.SetString(platform::Hive::LocalMachine, kRunKey, "Tonivo Applications", "x");
  EXPECT_EQ(Run("", fake::versions::kWindows98), 0);
  EXPECT_FALSE(
      machine.registry.Value(platform::Hive::LocalMachine, kRunKey, "Tonivo Applications"));
}

TEST_F(SetupAppTest, ARunKeyThatCannotBeOpenedIsPassedOver) {
  machine.registry.SetString(platform::Hive::LocalMachine, kRunKey, "Tonivo Applications", "x");
  machine.registry.DenyFullAccess(platform::Hive::LocalMachine, kRunKey);
  EXPECT_EQ(Run("", fake::versions::kWindowsMe), 0);
  EXPECT_TRUE(machine.registry.Value(platform::Hive::LocalMachine, kRunKey, "Tonivo Applications"));
  EXPECT_EQ(machine.processes.Started().size(), 1u);
}

// While another copy works, a second one on any path but the logon run says so
// and ends with 1618, having changed nothing: no file, value, program or device.
// From Windows 2000 on the mutex is global (another user's session counts),
// and one that cannot be opened is held by a copy with other rights.
TEST_F(SetupAppTest, ASecondCopyWhileOneWorksChangesNothing) {
  const std::string global = std::string("Global\\") + shared::kOneSetupAtATimeMutex;
  struct Case {
    platform::OsVersion version;
    const char* arguments;
    std::string mutex;
    bool otherRights;
  };
  const Case cases[] = {{fake::versions::kWindows98, "", shared::kOneSetupAtATimeMutex, false},
                        {fake::versions::kWindowsXp, "", global, false},
                        {fake::versions::kWindowsXp, "/DRIVER", global, false},
                        {fake::versions::kWindowsXp, "/AP", global, false},
                        {fake::versions::kWindows10, "/DRIVER", global, true}};
  for (const Case& each : cases) {
    SCOPED_TRACE(testing::Message() << each.arguments << " " << each.mutex);
    fake::FakeMachine machine;
    LayOutDisc(machine);
    driver_test::AddDisc(machine);
    machine.registry.SetString(platform::Hive::LocalMachine, kRunKey, "Tonivo Applications", "x");
    if (each.otherRights) {
      machine.processes.HoldMutexWithOtherRights(each.mutex);
    } else {
      machine.processes.HoldMutex(each.mutex);
    }
    machine.journal.Clear();

    EXPECT_EQ(RunProgram(machine, each.arguments, each.version).exitCode, 1618);

    EXPECT_EQ(machine.journal.Lines(),
              std::vector<std::string>{"messagebox Setup: Setup is already running."});
    EXPECT_TRUE(
        machine.registry.Value(platform::Hive::LocalMachine, kRunKey, "Tonivo Applications"));
  }
  {
    SCOPED_TRACE("the logon run swaps all the same");
    machine.processes.HoldMutex(global);
    machine.registry.SetString(platform::Hive::LocalMachine, kRunKey, "Replace Quarnex Mixer",
                               "C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer");
    machine.files.AddFile("C:\\WINDOWS\\Mixer.exe", "old mixer");
    machine.files.AddFile("C:\\WINDOWS\\Mixer.dat", "new mixer");
    EXPECT_EQ(Run("-ReplaceMixer", fake::versions::kWindowsXp), 0);
    EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\Mixer.exe"), "new mixer");
  }
}

// Which driver installation record each start path runs with, read back from
// what the run did, which dialog it shows, and whether it turns on the
// three-dimensional look. The main dialog runs with only "Install Device Driver"
// checked.
TEST(StartPaths, EachPathRunsItsOwnRecordAndLook) {
  struct Case {
    const char* name;
    platform::OsVersion version;
    const char* arguments;
    const char* ini;
    const DriverInstallOptions* record;  // null: no driver installation
    bool threeDLook;
    int dialog;    // the dialog the path shows, 0 for none
    int exitCode;  // restart prompts are answered "later"
  };
  const Case cases[] = {
      {"A: hand-over", fake::versions::kWindows98, "/DRIVER", "", nullptr, false, 0, 0},
      {"B: suite only", fake::versions::kWindowsXp, "/AP", "", nullptr, false, 0, 0},
      {"C: driver switch", fake::versions::kWindowsXp, "-driver", "", &kDriverOnlyRun, false, 0,
       3010},
      {"C: DriverOnly", fake::versions::kWindows2000, "", "DriverOnly=1\r\n", &kDriverOnlyRun,
       false, 0, 3010},
      {"D: main dialog's driver box", fake::versions::kWindowsXp, "", "", &kMainDialogRun, true,
       IDD_SETUP, 3010},
      {"E: options dialog's Install", fake::versions::kWindowsXp, "",
       "WebSetup=1\r\nInstallWDMDriver=1\r\n", &kWdmOptionsRun, true, IDD_WDM_OPTIONS, 3010},
      {"F: nothing", fake::versions::kWindowsXp, "", "WebSetup=1\r\n", nullptr, true, 0, 0},
      {"G: web package", fake::versions::kWindows7, "/AP", "WebSetup=7\r\n", &kWebPackageRun, true,
       0, 3010},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    LayOutDisc(machine);
    driver_test::PrepareRecordObservation(machine, kDisc);
    machine.files.AddFile(std::string(kDisc) + "setup.ini",
                          std::string("[InstallOption]\r\n") + c.ini);
    // The fake fails the test for a dialog shown without a script, or a script never used.
    platform::Hwnd dialog = 0;
    const auto remember = fake::Inspect([&](platform::Hwnd d) { dialog = d; });
    if (c.dialog == IDD_SETUP) {
      machine.desktop.Script(IDD_SETUP,
                             {remember, fake::Click(IDC_INSTALL_APPS), fake::Click(IDOK)});
    } else if (c.dialog == IDD_WDM_OPTIONS) {
      machine.desktop.Script(IDD_WDM_OPTIONS, {remember, fake::Click(IDOK)});
    } else if (c.dialog) {
      machine.desktop.Script(c.dialog, {fake::PressEscape()});
    }
    if (c.record) driver_test::AnswerRestartLater(machine);
    EXPECT_EQ(RunProgram(machine, c.arguments, c.version).exitCode, c.exitCode);

    EXPECT_EQ(machine.desktop.threeDControlsEnabled, c.threeDLook);
    const bool installed = !machine.devices.copiedInfs.empty();
    ASSERT_EQ(installed, c.record != nullptr);
    if (c.record) {
      bool infPatched = false;
      EXPECT_EQ(driver_test::ObservedRecord(machine, dialog, &infPatched), *c.record);
      EXPECT_EQ(infPatched, c.record == &kWdmOptionsRun);
    }
  }
}

// The exit codes of the outcomes the start paths above do not show.
TEST(ExitCodes, EachOutcomeEndsTheRunWithItsCode) {
  struct Case {
    const char* name;
    platform::OsVersion version;
    const char* arguments;
    std::function<void(fake::FakeMachine&)> arrange;
    int exitCode;
  };
  const auto answerRestartNow = [](fake::FakeMachine& machine) {
    machine.desktop.Script(IDD_RESTART, {fake::Click(IDOK)});
  };
  const Case cases[] = {
      {"Setup.exe missing before Windows 2000", fake::versions::kWindows98, "",
       [](fake::FakeMachine& machine) { machine.files.DeleteFile("D:\\DISC\\Setup.exe"); }, 2},
      {"restart accepted", fake::versions::kWindowsXp, "/DRIVER", answerRestartNow, 1641},
      {"restart refused", fake::versions::kWindowsXp, "/DRIVER",
       [&](fake::FakeMachine& machine) {
         answerRestartNow(machine);
         machine.security.exitWindowsFails = true;
       },
       3010},
      {"hand-over refused", fake::versions::kWindowsXp, "/DRIVER",
       [](fake::FakeMachine& machine) { machine.devices.copyOemInfRefusal = ERROR_ACCESS_DENIED; },
       5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    LayOutDisc(machine);
    driver_test::PrepareSystem(machine);
    driver_test::AddDriverPackage(machine, std::string(kDisc) + "W2K-ME\\drv\\");
    c.arrange(machine);
    EXPECT_EQ(RunProgram(machine, c.arguments, c.version).exitCode, c.exitCode);
  }
}

TEST(WindowsVersion, NtFiveAndLaterCountsAsWindows2000) {
  EXPECT_TRUE(IsWindows2000OrLater(fake::versions::kWindows2000));
  EXPECT_TRUE(IsWindows2000OrLater(fake::versions::kWindowsXp));
  EXPECT_TRUE(IsWindows2000OrLater(fake::versions::kWindows7));
  EXPECT_FALSE(IsWindows2000OrLater(fake::versions::kWindowsNt4));
  EXPECT_FALSE(IsWindows2000OrLater(fake::versions::kWindowsMe));
  EXPECT_FALSE(IsWindows2000OrLater({5, 0, 0, VER_PLATFORM_WIN32_WINDOWS}));
}

}  // namespace
