// Runs without a person on the fake machine: each path a quiet command line
// can take, that none of them puts a window on the screen, and the run with
// /NORESTART, which shows its windows but never the restart prompt.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLineOf.h"
#include "app/QuietRun.h"
#include "app/SetupMain.h"
#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

const char* const kDisc = "D:\\DISC\\";
const char* const kHandedOverInf = "C:\\WINDOWS\\INF\\oem1.inf";

struct LoggedRun : diagnostics::LogSink {
  void Write(const std::string& line) override { notes.push_back(line); }
  int exitCode = 0;
  std::vector<std::string> notes;  // the lines of the log
};

// A disc in D:\DISC with the general setup, the suite setup and both driver
// package layouts, and the options file.
void PrepareDisc(fake::FakeMachine& machine, const std::string& ini) {
  machine.files.AddFile(std::string(kDisc) + "W2KSetup.exe", "program");
  machine.files.AddFile(std::string(kDisc) + "Setup.exe", "general setup");
  machine.files.AddFile(std::string(kDisc) + "W2K-ME\\app\\Setup.exe", "suite setup");
  driver_test::PrepareRecordObservation(machine, kDisc);
  machine.files.AddFile(std::string(kDisc) + "setup.ini", "[InstallOption]\r\n" + ini);
}

LoggedRun RunFromDisc(fake::FakeMachine& machine, const std::string& arguments,
                      const platform::OsVersion& version) {
  machine.system.SetVersion(version);
  machine.processes.SetCommandLine(std::string(kDisc) + "W2KSetup.exe " + arguments);
  LoggedRun run;
  run.exitCode = RunSetupProgram(machine.platform(), CommandLineOf(machine), &run);
  return run;
}

bool AnyNoteHas(const LoggedRun& run, const std::string& text) {
  for (const std::string& note : run.notes) {
    if (note.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(QuietRun, EachPathRunsWithoutAnyWindow) {
  struct Case {
    const char* name;
    platform::OsVersion version;
    const char* arguments;
    const char* ini;
    bool installs;
    int exitCode;
    const char* note;  // a line the log must hold
  };
  const Case cases[] = {
      {"C: driver switch", fake::versions::kWindowsXp, "/DRIVER /QUIET", "", true, 3010,
       "The driver will be installed now."},
      {"C: DriverOnly", fake::versions::kWindows2000, "/q", "DriverOnly=1\r\n", true, 3010, ""},
      {"E: options dialog's start choices", fake::versions::kWindowsXp, "-S",
       "WebSetup=1\r\nInstallWDMDriver=1\r\n", true, 3010, ""},
      {"F: nothing", fake::versions::kWindowsXp, "/QUIET", "WebSetup=1\r\n", false, 0, ""},
      {"G: web package, driver switch ignored", fake::versions::kWindows7, "/S /DRIVER",
       "WebSetup=7\r\n", true, 3010, ""},
      {"main dialog needs the user", fake::versions::kWindowsXp, "/QUIET", "", false, 87,
       "nothing started"},
      {"before Windows 2000", fake::versions::kWindows98, "/DRIVER /QUIET", "", false, 1150,
       "nothing started"},
      {"unknown switch", fake::versions::kWindowsXp, "/QUIET /AP", "", false, 87, "nothing done"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    PrepareDisc(machine, c.ini);
    const LoggedRun run = RunFromDisc(machine, c.arguments, c.version);

    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
    EXPECT_TRUE(machine.desktop.DialogsRun().empty());
    EXPECT_EQ(!machine.devices.copiedInfs.empty(), c.installs);
    if (!c.installs) EXPECT_TRUE(machine.processes.Started().empty());
    if (*c.note) EXPECT_TRUE(AnyNoteHas(run, c.note));
  }
}

// Path E installs with the choices the options dialog opens with, patched
// into the INF as when "Install" is pressed at once.
TEST(QuietRun, OptionsPathHandsOverWhatInstallAtOnceWould) {
  const char* const ini = "WebSetup=1\r\nInstallWDMDriver=1\r\n";
  fake::FakeMachine quiet;
  PrepareDisc(quiet, ini);
  ASSERT_EQ(RunFromDisc(quiet, "/QUIET", fake::versions::kWindowsXp).exitCode, 3010);

  fake::FakeMachine interactive;
  PrepareDisc(interactive, ini);
  interactive.desktop.Script(IDD_WDM_OPTIONS, {fake::Click(IDOK)});
  driver_test::AnswerRestartLater(interactive);
  ASSERT_EQ(RunFromDisc(interactive, "", fake::versions::kWindowsXp).exitCode, 3010);

  EXPECT_EQ(quiet.files.Contents(kHandedOverInf), interactive.files.Contents(kHandedOverInf));
  EXPECT_NE(quiet.files.Contents(kHandedOverInf),
            quiet.files.Contents(std::string(kDisc) + "QXAUDIO.INF"));
}

// A refused hand-over ends with its error and without the box that says so;
// the box's text goes to the log, and no logon run is left armed.
TEST(QuietRun, RefusedHandOverEndsWithItsErrorSilently) {
  fake::FakeMachine machine;
  PrepareDisc(machine, "");
  machine.devices.copyOemInfRefusal = ERROR_ACCESS_DENIED;
  const LoggedRun run = RunFromDisc(machine, "/Q /DRIVER", fake::versions::kWindowsXp);
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
  EXPECT_TRUE(AnyNoteHas(run, "The driver could not be installed."));
  // Each note is one line of the log, whatever line ends the box's text held.
  for (const std::string& note : run.notes) EXPECT_EQ(note.find('\n'), std::string::npos);
  EXPECT_FALSE(machine.registry.Value(platform::Hive::LocalMachine, driver_test::kRunKey,
                                      driver_test::kRunValue));
}

// /NORESTART alone: the windows of the path as always, but the restart prompt
// never comes and the run ends with the restart pending.
TEST(NoRestartRun, EveryInstallingPathEndsPendingWithoutThePrompt) {
  struct Case {
    const char* name;
    const char* arguments;
    const char* ini;
    int dialog;
  };
  const Case cases[] = {
      {"C", "/NORESTART /DRIVER", "", 0},
      {"D", "-norestart", "", IDD_SETUP},
      {"E", "/NORESTART", "WebSetup=1\r\nInstallWDMDriver=1\r\n", IDD_WDM_OPTIONS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    PrepareDisc(machine, c.ini);
    if (c.dialog == IDD_SETUP) {
      machine.desktop.Script(IDD_SETUP, {fake::Click(IDC_INSTALL_APPS), fake::Click(IDOK)});
    } else if (c.dialog) {
      machine.desktop.Script(c.dialog, {fake::Click(IDOK)});
    }
    EXPECT_EQ(RunFromDisc(machine, c.arguments, fake::versions::kWindowsXp).exitCode, 3010);
    EXPECT_FALSE(machine.devices.copiedInfs.empty());
    EXPECT_FALSE(machine.desktop.MessageBoxes().empty());  // the notice, as always
    for (int shown : machine.desktop.DialogsRun()) EXPECT_NE(shown, IDD_RESTART);
  }
}

// A box a quiet run does not show gets the button it has as its default.
TEST(QuietRun, ABoxIsAnsweredWithItsDefaultButton) {
  const std::pair<uint32_t, int> cases[] = {
      {MB_OK | MB_ICONERROR, IDOK},
      {MB_YESNO | MB_ICONQUESTION, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {0x03 | 0x200, IDCANCEL},  // yes/no/cancel, third
      {0x01 | 0x200, IDOK},      // OK/Cancel has no third
  };
  for (const auto& [type, button] : cases) EXPECT_EQ(QuietRun::DefaultButton(type), button) << type;
}

TEST(HelpRun, ListsTheSwitchesAndExitCodesAndChangesNothing) {
  fake::FakeMachine machine;
  PrepareDisc(machine, "");
  EXPECT_EQ(RunFromDisc(machine, "/?", fake::versions::kWindowsXp).exitCode, 0);
  ASSERT_EQ(machine.desktop.MessageBoxes().size(), 1u);
  const std::string& text = machine.desktop.MessageBoxes()[0].text;
  for (const char* part : {"/QUIET", "/NORESTART", "/LOG=", "/DRIVER", "3010", "1150"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
  EXPECT_TRUE(machine.processes.Started().empty());
  EXPECT_TRUE(machine.devices.copiedInfs.empty());
}

}  // namespace
