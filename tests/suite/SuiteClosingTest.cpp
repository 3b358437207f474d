// Closing the suite's programs and uninstalling the previous suite.
#include <gtest/gtest.h>

#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "suite/SuiteClosing.h"

namespace {

using platform::Hive;
using Titles = std::vector<std::string>;
using Sleeps = std::vector<uint32_t>;

const char* const kNineKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tonivo Applications";
const char* const kNtKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tonivo WinNT Applications";

TEST(CloseSuitePrograms, TuneStackAloneIsClosedAndPausedFor) {
  fake::FakeMachine machine;
  machine.desktop.AddTopLevelWindow("TuneStack");
  machine.desktop.AddTopLevelWindow("MIDI Player");
  machine.desktop.AddTopLevelWindow("Mixer");
  CloseSuitePrograms(machine.platform(), false);
  EXPECT_EQ(machine.desktop.ClosedWindows(), Titles{"TuneStack"});
  EXPECT_TRUE(machine.desktop.IsOpen("MIDI Player"));
  EXPECT_EQ(machine.clock.Sleeps(), (Sleeps{500, 500}));
}

TEST(CloseSuitePrograms, WithoutTuneStackThePlayersCloseInOrderWithoutPauses) {
  fake::FakeMachine machine;
  machine.desktop.AddTopLevelWindow("MP3 Player");
  machine.desktop.AddTopLevelWindow("CD Player");
  machine.desktop.AddTopLevelWindow("MIDI Player");
  machine.desktop.AddTopLevelWindow("Mixer");
  CloseSuitePrograms(machine.platform(), false);
  EXPECT_EQ(machine.desktop.ClosedWindows(), (Titles{"CD Player", "MIDI Player", "MP3 Player"}));
  EXPECT_TRUE(machine.desktop.IsOpen("Mixer"));
  EXPECT_EQ(machine.clock.Sleeps(), Sleeps{500});
}

TEST(CloseSuitePrograms, TheMixerFlagClosesTheMixerLast) {
  fake::FakeMachine machine;
  machine.desktop.AddTopLevelWindow("Mixer");
  machine.desktop.AddTopLevelWindow("TuneStack");
  CloseSuitePrograms(machine.platform(), true);
  EXPECT_EQ(machine.desktop.ClosedWindows(), (Titles{"TuneStack", "Mixer"}));
  EXPECT_EQ(machine.journal.StartingWith("close").size(), 2u);
  EXPECT_EQ(machine.clock.Sleeps(), (Sleeps{500, 500}));
}

TEST(CloseSuitePrograms, NothingRunningStillPauses) {
  fake::FakeMachine machine;
  CloseSuitePrograms(machine.platform(), true);
  EXPECT_TRUE(machine.desktop.ClosedWindows().empty());
  EXPECT_EQ(machine.clock.Sleeps(), Sleeps{500});
}

TEST(CloseSuitePrograms, OnlyTheFirstWindowOfATitleIsClosed) {
  fake::FakeMachine machine;
  machine.desktop.AddTopLevelWindow("CD Player");
  machine.desktop.AddTopLevelWindow("CD Player");
  CloseSuitePrograms(machine.platform(), false);
  EXPECT_EQ(machine.desktop.ClosedWindows(), Titles{"CD Player"});
  EXPECT_TRUE(machine.desktop.IsOpen("CD Player"));
}

class UninstallPreviousSuiteTest : public ::testing::Test {
 protected:
  void Uninstaller(const char* key, const char* value, const std::string& command) {
    machine.registry.SetString(Hive::LocalMachine, key, value, command);
  }
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    for (const fake::StartedProgram& p : machine.processes.Started()) {
      commands.push_back(p.commandLine);
    }
    return commands;
  }
  void SetUp() override {
    machine.files.AddFile("C:\\Nine\\unins.exe", "");
    machine.files.AddFile("C:\\Nt\\unins.exe", "");
    machine.files.AddFile("C:\\Shield\\setup.exe", "");
  }
  fake::FakeMachine machine;
};

TEST_F(UninstallPreviousSuiteTest, KeyAndValuePrecedence) {
  struct Case {
    bool nine, nineShield, nt;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      // Both keys: only the first is used.
      {true, false, true, {"C:\\Nine\\unins.exe -a"}},
      // The installer's value wins over the plain one.
      {true, true, false, {"C:\\Shield\\setup.exe -a"}},
      // Only the NT key.
      {false, false, true, {"C:\\Nt\\unins.exe -a"}},
      // No key: nothing runs.
      {false, false, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.empty() ? "none" : c.expected[0]);
    fake::FakeMachine m;
    m.files.AddFile("C:\\Nine\\unins.exe", "");
    m.files.AddFile("C:\\Nt\\unins.exe", "");
    m.files.AddFile("C:\\Shield\\setup.exe", "");
    if (c.nine)
      m.registry.SetString(Hive::LocalMachine, kNineKey, "UninstallString", "C:\\Nine\\unins.exe");
    if (c.nineShield) {
      m.registry.SetString(Hive::LocalMachine, kNineKey, "InstallShieldUninstallString",
                           "C:\\Shield\\setup.exe");
    }
    if (c.nt)
      m.registry.SetString(Hive::LocalMachine, kNtKey, "UninstallString", "C:\\Nt\\unins.exe");
    UninstallPreviousSuite(m.platform());
    std::vector<std::string> commands;
    for (const fake::StartedProgram& p : m.processes.Started()) commands.push_back(p.commandLine);
    EXPECT_EQ(commands, c.expected);
    EXPECT_EQ(m.registry.OpenKeyCount(), 0u);
    EXPECT_EQ(m.desktop.CurrentCursor(), fake::Cursor::Arrow);
  }
}

TEST_F(UninstallPreviousSuiteTest, AFirstKeyWithoutValuesHidesTheSecond) {
  machine.registry.CreateKey(Hive::LocalMachine, kNineKey);
  Uninstaller(kNtKey, "UninstallString", "C:\\Nt\\unins.exe");
  UninstallPreviousSuite(machine.platform());
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(machine.desktop.waitCursorShows, 0);
}

TEST_F(UninstallPreviousSuiteTest, WaitsUnderTheWaitCursorUntilTheUninstallerExits) {
  Uninstaller(kNineKey, "UninstallString", "C:\\Nine\\unins.exe");
  fake::Cursor cursorDuringRun = fake::Cursor::Arrow;
  machine.processes.SetBehaviour(
      "C:\\Nine\\unins.exe", {5, 3, [&] { cursorDuringRun = machine.desktop.CurrentCursor(); }});
  UninstallPreviousSuite(machine.platform());
  ASSERT_EQ(Commands(), std::vector<std::string>{"C:\\Nine\\unins.exe -a"});
  const fake::StartedProgram& run = machine.processes.Started()[0];
  EXPECT_EQ(run.exitCodeQueries, 6);  // five STILL_ACTIVE answers, then the exit code
  EXPECT_EQ(run.waitForInputIdleCalls, 6);
  // The first wait lasts until the uninstaller is up; the later ones return at once.
  EXPECT_EQ(machine.clock.Now(), 500u);
  EXPECT_TRUE(machine.clock.Sleeps().empty());
  EXPECT_EQ(run.showWindow, SW_SHOW);
  EXPECT_EQ(cursorDuringRun, fake::Cursor::Wait);
  EXPECT_EQ(machine.desktop.CurrentCursor(), fake::Cursor::Arrow);
}

TEST_F(UninstallPreviousSuiteTest, ABusyUninstallerIsPolledEverySecond) {
  Uninstaller(kNineKey, "UninstallString", "C:\\Nine\\unins.exe");
  machine.processes.SetBehaviour("C:\\Nine\\unins.exe", {5, 0, nullptr, fake::kNeverIdle});
  UninstallPreviousSuite(machine.platform());
  ASSERT_EQ(machine.processes.Started().size(), 1u);
  EXPECT_EQ(machine.processes.Started()[0].exitCodeQueries, 6);
  EXPECT_EQ(machine.clock.Now(), 5000u);
}

TEST_F(UninstallPreviousSuiteTest, PutsBackTheCursorItFound) {
  for (fake::Cursor found : {fake::Cursor::Hidden, fake::Cursor::Wait}) {
    fake::FakeMachine m;
    m.files.AddFile("C:\\Nine\\unins.exe", "");
    m.registry.SetString(Hive::LocalMachine, kNineKey, "UninstallString", "C:\\Nine\\unins.exe");
    m.desktop.SetStartingCursor(found);
    UninstallPreviousSuite(m.platform());
    EXPECT_EQ(m.desktop.waitCursorShows, 1);
    EXPECT_EQ(m.desktop.CurrentCursor(), found);
  }
}

TEST_F(UninstallPreviousSuiteTest, AnUninstallerThatCannotStartIsNotWaitedFor) {
  Uninstaller(kNineKey, "UninstallString", "C:\\Gone\\unins.exe");
  UninstallPreviousSuite(machine.platform());
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(machine.journal.StartingWith("start C:\\Gone\\unins.exe -a").size(), 1u);
  EXPECT_EQ(machine.desktop.CurrentCursor(), fake::Cursor::Arrow);
}

TEST_F(UninstallPreviousSuiteTest, AValueFillingTheBufferWithoutZeroIsTerminated) {
  // 260 bytes and no terminating zero: the command is those 260 characters + " -a".
  const std::string program = "C:\\" + std::string(253, 'u') + ".exe";
  ASSERT_EQ(program.size(), 260u);
  machine.registry.SetRaw(Hive::LocalMachine, kNineKey, "UninstallString", REG_SZ, program);
  machine.files.AddFile(program, "");
  UninstallPreviousSuite(machine.platform());
  EXPECT_EQ(Commands(), std::vector<std::string>{program + " -a"});

  // A value longer than the buffer is not read at all.
  fake::FakeMachine other;
  other.registry.SetRaw(Hive::LocalMachine, kNineKey, "UninstallString", REG_SZ,
                        std::string(261, 'x'));
  UninstallPreviousSuite(other.platform());
  EXPECT_TRUE(other.journal.StartingWith("start").empty());
}

// The value's type is not looked at: the command is the stored text. An
// unexpanded "%ProgramFiles%" names no program, so nothing starts and
// nothing is waited for.
TEST_F(UninstallPreviousSuiteTest, AValueOfAnotherTypeIsRunAsItsText) {
  const uint32_t kExpandSz = 2, kDword = 4;
  machine.files.AddFile("C:\\Program Files\\Tonivo\\unins.exe", "");
  machine.registry.SetRaw(Hive::LocalMachine, kNineKey, "UninstallString", kExpandSz,
                          std::string("%ProgramFiles%\\Tonivo\\unins.exe") + '\0');
  UninstallPreviousSuite(machine.platform());
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(machine.journal.StartingWith("start %ProgramFiles%\\Tonivo\\unins.exe -a").size(), 1u);

  fake::FakeMachine other;
  other.registry.SetRaw(Hive::LocalMachine, kNineKey, "UninstallString", kDword,
                        std::string("\x01\0\0\0", 4));
  UninstallPreviousSuite(other.platform());
  EXPECT_TRUE(other.processes.Started().empty());
  EXPECT_EQ(other.desktop.CurrentCursor(), fake::Cursor::Arrow);
}

// A program that has stopped answering messages is given up on: the others
// are still asked to close and the pauses stay as they are.
TEST(CloseSuitePrograms, AWindowThatStoppedAnsweringDoesNotStopTheClosing) {
  fake::FakeMachine machine;
  machine.desktop.StopAnswering(machine.desktop.AddTopLevelWindow("CD Player"));
  machine.desktop.AddTopLevelWindow("MP3 Player");
  machine.desktop.AddTopLevelWindow("Mixer");
  CloseSuitePrograms(machine.platform(), true);
  EXPECT_TRUE(machine.desktop.IsOpen("CD Player"));
  EXPECT_EQ(machine.desktop.ClosedWindows(), (Titles{"MP3 Player", "Mixer"}));
  EXPECT_EQ(machine.clock.Now(), 500u);
}

// A "TuneStack" that ignores WM_CLOSE is asked once; the run does not wait
// for it to go, and the players are left alone as with any TuneStack.
TEST(CloseSuitePrograms, ATuneStackThatStaysOpenIsAskedOnceAndLeft) {
  fake::FakeMachine machine;
  machine.desktop.AddTopLevelWindow("TuneStack", 0, /*closesOnWmClose=*/false);
  machine.desktop.AddTopLevelWindow("CD Player");
  machine.desktop.AddTopLevelWindow("Mixer");
  machine.desktop.AddTopLevelWindow("Mixer");
  CloseSuitePrograms(machine.platform(), true);
  EXPECT_EQ(machine.desktop.ClosedWindows(), (Titles{"TuneStack", "Mixer"}));
  EXPECT_TRUE(machine.desktop.IsOpen("TuneStack"));
  EXPECT_TRUE(machine.desktop.IsOpen("CD Player"));
  EXPECT_TRUE(machine.desktop.IsOpen("Mixer"));  // the second of the two
  EXPECT_EQ(machine.clock.Sleeps(), (Sleeps{500, 500}));
  EXPECT_EQ(machine.clock.Now(), 1000u);
}

}  // namespace
