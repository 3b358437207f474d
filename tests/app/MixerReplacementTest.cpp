// The logon run "-ReplaceMixer", run through the whole start routine: the
// entry, the early exits into the normal start-up, the wait for the mixer's
// window, the swap and the hidden start of the new mixer.
#include <gtest/gtest.h>

#include <source_location>

#include "app/CommandLineOf.h"
#include "app/MixerReplacement.h"
#include "app/SetupApp.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

using platform::Hive;

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kEntry = "Replace Quarnex Mixer";
constexpr const char* kSuiteEntry = "Tonivo Applications";
constexpr const char* kMixerExe = "C:\\WINDOWS\\Mixer.exe";
constexpr const char* kMixerDat = "C:\\WINDOWS\\Mixer.dat";
constexpr const char* kCdPlayerProfile = "C:\\WINDOWS\\QXCDPLAY.INI";
constexpr const char* kOldMixer = "old mixer bytes";
constexpr const char* kNewMixer = "new mixer \x01\x02 bytes";

// The state a driver installation leaves behind: the armed logon entry, the
// new mixer beside the old one, and this program's copy that Windows starts.
void Arm(fake::FakeMachine& machine, const std::string& switches = "-ReplaceMixer") {
  machine.system.SetVersion(fake::versions::kWindowsXp);
  machine.registry.SetString(Hive::LocalMachine, kRunKey, kEntry,
                             "C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer");
  machine.registry.SetString(Hive::LocalMachine, kRunKey, kSuiteEntry, "C:\\suite.exe");
  machine.files.AddFile("C:\\WINDOWS\\W2KSetup.exe", "this program");
  machine.files.AddFile(kMixerExe, kOldMixer);
  machine.files.AddFile(kMixerDat, kNewMixer);
  machine.processes.SetCommandLine("C:\\WINDOWS\\W2KSetup.exe " + switches);
}

// Runs the program and checks the code it ends with.
void RunSetup(fake::FakeMachine& machine, int expectedExitCode = 0,
              std::source_location where = std::source_location::current()) {
  CSetupApp app(machine.platform(), CommandLineOf(machine));
  const int exitCode = app.Run();
  if (exitCode != expectedExitCode) {
    ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line()))
        << "exit code " << exitCode << ", expected " << expectedExitCode;
  }
}

// The normal start-up after leaving the mode: the main dialog, which finds no
// suite setup beside the copy in the Windows directory, says so and ends the
// process before it shows.
void RunExpectingMainDialog(fake::FakeMachine& machine) {
  try {
    RunSetup(machine);
    ADD_FAILURE() << "the process did not end";
  } catch (const fake::ProcessExit& exit) {
    EXPECT_EQ(exit.exitCode, 0);
  }
  EXPECT_EQ(machine.desktop.DialogsRun(), std::vector<int>{IDD_SETUP});
  ASSERT_EQ(machine.desktop.MessageBoxes().size(), 1u);
  EXPECT_EQ(machine.desktop.MessageBoxes()[0].text, "Can not find installation files.");
}

bool HasValue(const fake::FakeMachine& machine, const char* name) {
  return machine.registry.Value(Hive::LocalMachine, kRunKey, name).has_value();
}

std::vector<uint32_t> Repeated(size_t count) { return std::vector<uint32_t>(count, 1000); }

TEST(MixerReplacement, SwitchInAnyLetterCaseEntersTheMode) {
  for (const char* switches :
       {"-ReplaceMixer", "-replacemixer", "-REPLACEMIXER", "-rEPLACEmIXER"}) {
    SCOPED_TRACE(switches);
    fake::FakeMachine machine;
    Arm(machine, switches);
    RunSetup(machine);
    EXPECT_FALSE(HasValue(machine, kEntry));
    EXPECT_EQ(machine.files.Contents(kMixerExe), kNewMixer);
    EXPECT_TRUE(machine.desktop.DialogsRun().empty());
  }
}

TEST(MixerReplacement, AnythingAfterTheSwitchIsAnOrdinaryRun) {
  for (const char* switches : {"-ReplaceMixer ", "-ReplaceMixer /startup",
                               "-ReplaceMixer -ReplaceMixer", "ReplaceMixer"}) {
    SCOPED_TRACE(switches);
    fake::FakeMachine machine;
    Arm(machine, switches);
    machine.desktop.AddTopLevelWindow("Mixer");
    RunExpectingMainDialog(machine);
    EXPECT_TRUE(HasValue(machine, kEntry));
    EXPECT_EQ(machine.files.Contents(kMixerExe), kOldMixer);
    EXPECT_EQ(machine.desktop.Looks("Mixer"), 0);
    EXPECT_TRUE(machine.processes.Started().empty());
  }
}

TEST(MixerReplacement, MissingNewMixerLeavesTheModeAfterDisarmingAndClosing) {
  fake::FakeMachine machine;
  Arm(machine);
  machine.files.DeleteFile(kMixerDat);
  machine.desktop.AddTopLevelWindow("Mixer");

  RunExpectingMainDialog(machine);

  EXPECT_FALSE(HasValue(machine, kEntry));
  EXPECT_EQ(machine.desktop.ClosedWindows(), std::vector<std::string>{"Mixer"});
  EXPECT_EQ(machine.files.Contents(kMixerExe), kOldMixer);
  EXPECT_TRUE(machine.processes.Started().empty());
  // The rest of the start-up ran: the suite's logon value and the profile.
  EXPECT_FALSE(HasValue(machine, kSuiteEntry));
  EXPECT_EQ(machine.profiles.Get("CD PLAYER", "UsingCDDA", kCdPlayerProfile), "0");
}

TEST(MixerReplacement, WaitsUpToAHundredSecondsForTheMixerWindow) {
  struct Case {
    const char* name;
    bool window;
    uint64_t appearsAt;
    int looks;
    size_t sleeps;  // of 1000 ms each, the one after WM_CLOSE included
    bool closed;
  };
  // The first two looks happen at time 0, then one look per second.
  const Case kCases[] = {
      {"open at the first look", true, 0, 1, 1, true},
      {"found at the fifth look", true, 3000, 5, 5, true},
      {"found at the last look", true, 99000, 101, 101, true},
      {"appears just too late", true, 99001, 101, 100, false},
      {"never there", false, 0, 101, 100, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    Arm(machine);
    if (c.window) machine.desktop.AddTopLevelWindow("Mixer", c.appearsAt);

    RunSetup(machine);

    EXPECT_EQ(machine.desktop.Looks("Mixer"), c.looks);
    EXPECT_EQ(machine.clock.Sleeps(), Repeated(c.sleeps));
    EXPECT_EQ(machine.desktop.ClosedWindows(),
              c.closed ? std::vector<std::string>{"Mixer"} : std::vector<std::string>{});
    // Closed or not, the swap and the start follow.
    EXPECT_EQ(machine.files.Contents(kMixerExe), kNewMixer);
    EXPECT_EQ(machine.processes.Started().size(), 1u);
  }
}

TEST(MixerReplacement, ClosesTheMixerThenPausesBeforeTheSwap) {
  fake::FakeMachine machine;
  Arm(machine);
  machine.desktop.AddTopLevelWindow("Mixer");
  RunSetup(machine);

  const fake::Journal& journal = machine.journal;
  int close = journal.Find("close Mixer");
  ASSERT_GE(close, 0);
  EXPECT_EQ(journal.Find("sleep 1000"), close + 1);
  int copy = journal.Find("replace C:\\WINDOWS\\Mixer.exe.new -> C:\\WINDOWS\\Mixer.exe");
  EXPECT_GT(copy, close + 1);
  EXPECT_GT(journal.Find("start \"C:\\WINDOWS\\Mixer.exe\" /startup"), copy);
}

TEST(MixerReplacement, SwapsTheMixerInPlaceAndStartsItHidden) {
  fake::FakeMachine machine;
  Arm(machine);
  // A read-only mixer is overwritten all the same.
  machine.files.AddFile(kMixerExe, kOldMixer, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

  RunSetup(machine);

  EXPECT_EQ(machine.files.Contents(kMixerExe), kNewMixer);
  EXPECT_EQ(machine.files.Contents(kMixerDat), kNewMixer);  // left in place
  EXPECT_TRUE(machine.journal.StartingWith("delete ").empty());
  ASSERT_EQ(machine.processes.Started().size(), 1u);
  const fake::StartedProgram& mixer = machine.processes.Started()[0];
  EXPECT_EQ(mixer.commandLine, "\"C:\\WINDOWS\\Mixer.exe\" /startup");
  EXPECT_EQ(mixer.program, kMixerExe);
  EXPECT_EQ(mixer.showWindow, SW_HIDE);
  EXPECT_FALSE(mixer.viaWinExec);
  EXPECT_FALSE(HasValue(machine, kEntry));
}

// The copy of a file over another is not atomic: a power cut in the middle of
// the swap must still leave a whole mixer, the old one or the new one.
TEST(MixerReplacement, APowerCutDuringTheSwapLeavesAWholeMixer) {
  fake::FakeMachine machine;
  Arm(machine);
  std::vector<std::string> mixersSeen;
  machine.files.OnCopyHalfDone([&] { mixersSeen.push_back(machine.files.Contents(kMixerExe)); });

  RunSetup(machine);

  for (const std::string& mixer : mixersSeen) {
    EXPECT_TRUE(mixer == kOldMixer || mixer == kNewMixer) << "cut short: \"" << mixer << '"';
  }
  EXPECT_EQ(machine.files.Contents(kMixerExe), kNewMixer);
  EXPECT_EQ(machine.files.FilesIn("C:\\WINDOWS"),
            (std::vector<std::string>{"Mixer.dat", "Mixer.exe", "W2KSetup.exe"}));
}

// The run then ends with the copy's error ("Mixer.exe" still in use, say).
TEST(MixerReplacement, FailingCopyKeepsTheOldMixer) {
  fake::FakeMachine machine;
  Arm(machine);
  machine.files.FailCopiesTo(kMixerExe);

  RunSetup(machine, static_cast<int>(ERROR_ACCESS_DENIED));

  EXPECT_EQ(machine.files.Contents(kMixerExe), kOldMixer);
  ASSERT_EQ(machine.processes.Started().size(), 1u);
  EXPECT_EQ(machine.processes.Started()[0].program, kMixerExe);
}

TEST(MixerReplacement, EntryAlreadyRemovedByHandStillSwaps) {
  fake::FakeMachine machine;
  Arm(machine);
  platform::RegKey key = 0;
  ASSERT_EQ(machine.registry.OpenKey(Hive::LocalMachine, kRunKey, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  machine.registry.DeleteValue(key, kEntry);
  machine.registry.CloseKey(key);

  RunSetup(machine);

  EXPECT_EQ(machine.files.Contents(kMixerExe), kNewMixer);
  EXPECT_EQ(machine.processes.Started().size(), 1u);
  EXPECT_TRUE(machine.desktop.DialogsRun().empty());
}

TEST(MixerReplacement, NothingElseOfTheStartUpRunsAfterTheSwap) {
  fake::FakeMachine machine;
  Arm(machine);
  const char* audioKey = "Software\\Microsoft\\Multimedia\\Audio";
  machine.registry.SetString(Hive::CurrentUser, audioKey, "SystemFormats", "CD Quality,Radio,");
  machine.files.AddFile("C:\\WINDOWS\\setup.ini", "[InstallOption]\r\nDriverOnly=1\r\n");

  RunSetup(machine);

  EXPECT_TRUE(HasValue(machine, kSuiteEntry));
  EXPECT_FALSE(machine.files.FileExists(kCdPlayerProfile));
  EXPECT_FALSE(machine.registry.Value(Hive::CurrentUser, audioKey, "DefaultFormat").has_value());
  EXPECT_TRUE(machine.desktop.DialogsRun().empty());
  EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
  EXPECT_FALSE(machine.desktop.threeDControlsEnabled);
  EXPECT_EQ(machine.processes.Started().size(), 1u);  // the new mixer only
  EXPECT_EQ(machine.registry.OpenKeyCount(), 0u);
}

// A mixer that has stopped answering at logon is given up on, not waited for
// for ever: the entry is gone and the new mixer is put in place and started.
TEST(MixerReplacement, AMixerThatStoppedAnsweringDoesNotStopTheSwap) {
  fake::FakeMachine machine;
  Arm(machine);
  machine.desktop.StopAnswering(machine.desktop.AddTopLevelWindow("Mixer"));
  RunSetup(machine);
  EXPECT_FALSE(HasValue(machine, kEntry));
  EXPECT_EQ(machine.files.Contents(kMixerExe), kNewMixer);
  ASSERT_EQ(machine.processes.Started().size(), 1u);
  EXPECT_EQ(machine.clock.Sleeps(), Repeated(1));
}

// A mixer that ignores WM_CLOSE still runs, and Windows refuses to overwrite
// a running program: the old mixer stays whole and is started again, the run
// ends with access denied, and "Mixer.dat" stays for a later swap.
TEST(MixerReplacement, AMixerStillRunningKeepsTheOldOneAndEndsWithAccessDenied) {
  fake::FakeMachine machine;
  Arm(machine);
  machine.desktop.AddTopLevelWindow("Mixer", 0, /*closesOnWmClose=*/false);
  machine.files.LockFile(kMixerExe);

  RunSetup(machine, static_cast<int>(ERROR_ACCESS_DENIED));

  EXPECT_EQ(machine.files.Contents(kMixerExe), kOldMixer);
  EXPECT_EQ(machine.files.Contents(kMixerDat), kNewMixer);
  EXPECT_FALSE(machine.files.FileExists(std::string(kMixerExe) + ".new"));
  ASSERT_EQ(machine.processes.Started().size(), 1u);
  EXPECT_EQ(machine.processes.Started()[0].program, kMixerExe);
  EXPECT_FALSE(HasValue(machine, kEntry));  // once per arming, as after any swap
}

// Of two windows titled "Mixer" the first found is asked to close; the swap
// does not wait for the second.
TEST(MixerReplacement, OfTwoMixerWindowsOnlyTheFirstIsClosed) {
  fake::FakeMachine machine;
  Arm(machine);
  machine.desktop.AddTopLevelWindow("Mixer");
  machine.desktop.AddTopLevelWindow("Mixer");

  RunSetup(machine);

  EXPECT_EQ(machine.desktop.ClosedWindows(), std::vector<std::string>{"Mixer"});
  EXPECT_TRUE(machine.desktop.IsOpen("Mixer"));
  EXPECT_EQ(machine.files.Contents(kMixerExe), kNewMixer);
  EXPECT_EQ(machine.clock.Sleeps(), Repeated(1));
}

}  // namespace
