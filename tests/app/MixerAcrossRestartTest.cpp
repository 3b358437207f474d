// How the new mixer of a driver installation gets in place of "Mixer.exe",
// per Windows version: the logon swap armed on Windows 2000 and XP, the move
// at restart on Vista and later; when the entry is armed, and the logon run's
// early ends. Each case runs the program, then restarts the machine.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/CommandLineOf.h"
#include "app/SetupApp.h"
#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

using platform::Hive;
using namespace driver_test;

constexpr const char* kInstall = "D:\\W2KSetup.exe /DRIVER";
constexpr const char* kLogon = "C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer";
constexpr const char* kArmed = "\"C:\\WINDOWS\\W2KSetup.exe\" -ReplaceMixer";
constexpr const char* kMixer = "C:\\WINDOWS\\Mixer.exe";
constexpr const char* kSetupCopy = "C:\\WINDOWS\\W2KSetup.exe";

int RunSetup(fake::FakeMachine& machine, const platform::OsVersion& version,
             const std::string& commandLine) {
  machine.system.SetVersion(version);
  machine.processes.SetCommandLine(commandLine);
  CSetupApp app(machine.platform(), CommandLineOf(machine));
  try {
    return app.Run();
  } catch (const fake::ProcessExit& exit) {
    return exit.exitCode;
  }
}

// What an installation before the restart left on Windows 2000 or XP.
void ArmedEarlier(fake::FakeMachine& machine) {
  machine.files.AddFile("C:\\WINDOWS\\Mixer.dat", "earlier mixer");
  machine.files.AddFile(kSetupCopy, "earlier setup program");
  machine.registry.SetString(Hive::LocalMachine, kRunKey, kRunValue, kArmed);
}

struct Case {
  const char* name;
  platform::OsVersion version;
  const char* commandLine;
  std::function<void(fake::FakeMachine&)> arrange;
  int exitCode;
  bool entryArmed;                // the logon entry, naming this program's copy
  const char* setupCopy;          // "W2KSetup.exe" in the Windows directory, null for none
  const char* mixerAfterRestart;  // "Mixer.exe" once Windows has started again
  bool quiet = false;             // no window and no program started
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class MixerAcrossRestart : public ::testing::TestWithParam<Case> {};

TEST_P(MixerAcrossRestart, LeavesTheMixerToTheRightStep) {
  const Case& c = GetParam();
  fake::FakeMachine machine;
  PrepareSystem(machine);
  AddDisc(machine);
  machine.files.AddFile(kMixer, "old mixer");
  if (c.exitCode == 3010) AnswerRestartLater(machine);
  if (c.arrange) c.arrange(machine);

  EXPECT_EQ(RunSetup(machine, c.version, c.commandLine), c.exitCode);

  const auto entry = machine.registry.Value(Hive::LocalMachine, kRunKey, kRunValue);
  EXPECT_EQ(entry.has_value(), c.entryArmed);
  if (entry && c.entryArmed) EXPECT_EQ(entry->data, std::string(kArmed) + '\0');
  EXPECT_EQ(machine.files.FileExists(kSetupCopy), c.setupCopy != nullptr);
  if (c.setupCopy) EXPECT_EQ(machine.files.Contents(kSetupCopy), c.setupCopy);
  if (c.quiet) {
    EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
    EXPECT_TRUE(machine.desktop.DialogsRun().empty());
    EXPECT_TRUE(machine.processes.Started().empty());
  }
  EXPECT_EQ(machine.files.Contents(kMixer), "old mixer") << "replaced before the restart";

  machine.Restart();
  EXPECT_EQ(machine.files.Contents(kMixer), c.mixerAfterRestart);
  EXPECT_FALSE(machine.files.FileExists("C:\\WINDOWS\\Mixer.new")) << "left after the restart";
  EXPECT_FALSE(machine.registry.Value(Hive::LocalMachine, fake::kSessionManagerKey,
                                      fake::kPendingMovesValue));
}

// Takes a read-only file off the disc.
void RemoveFromDisc(fake::FakeMachine& machine, const std::string& name) {
  const std::string path = "D:\\W2K-ME\\drv\\" + name;
  machine.files.SetFileAttributes(path, FILE_ATTRIBUTE_NORMAL);
  machine.files.DeleteFile(path);
}

// The setup services find no INF to take.
void RefuseTheInf(fake::FakeMachine& machine) { RemoveFromDisc(machine, "QXAUDIO.INF"); }

const Case kCases[] = {
    {"Windows2000ArmsTheLogonSwap", fake::versions::kWindows2000, kInstall, nullptr, 3010, true,
     "setup program", "old mixer"},
    {"VistaMovesTheMixerAtRestart", fake::versions::kWindowsVista, kInstall, nullptr, 3010, false,
     nullptr, "new mixer"},
    {"Windows10DeletesAnEarlierEntry", fake::versions::kWindows10, kInstall, ArmedEarlier, 3010,
     false, "earlier setup program", "new mixer"},
    {"Windows7InstalledTwiceBeforeTheRestart", fake::versions::kWindows7, kInstall,
     [](fake::FakeMachine& m) {
       EXPECT_EQ(RunSetup(m, fake::versions::kWindows7, kInstall), 3010);
       AnswerRestartLater(m);
     },
     3010, false, nullptr, "new mixer"},
    {"XpArmsNamingTheEarlierCopyThatRuns", fake::versions::kWindowsXp, kInstall,
     [](fake::FakeMachine& m) {
       ArmedEarlier(m);
       m.files.LockFile(kSetupCopy);
     },
     3010, true, "earlier setup program", "old mixer"},
    {"XpWithoutSetupDatArmsNamingAnEarlierCopy", fake::versions::kWindowsXp, kInstall,
     [](fake::FakeMachine& m) {
       RemoveFromDisc(m, "W2KSetup.dat");
       m.files.AddFile(kSetupCopy, "earlier setup program");
     },
     3010, true, "earlier setup program", "old mixer"},
    {"XpWithoutSetupDatOrCopyDoesNotArm", fake::versions::kWindowsXp, kInstall,
     [](fake::FakeMachine& m) { RemoveFromDisc(m, "W2KSetup.dat"); }, 3010, false, nullptr,
     "old mixer"},
    {"XpRefusedInfTakesBackAnEarlierEntry", fake::versions::kWindowsXp, kInstall,
     [](fake::FakeMachine& m) {
       ArmedEarlier(m);
       RefuseTheInf(m);
     },
     ERROR_FILE_NOT_FOUND, false, "setup program", "old mixer"},
    {"Windows10RefusedInfMovesNothing", fake::versions::kWindows10, kInstall, RefuseTheInf,
     ERROR_FILE_NOT_FOUND, false, nullptr, "old mixer"},
    {"LogonWithoutFullAccessEndsQuietly", fake::versions::kWindowsXp, kLogon,
     [](fake::FakeMachine& m) {
       ArmedEarlier(m);
       m.registry.DenyFullAccess(Hive::LocalMachine, kRunKey);
       m.desktop.AddTopLevelWindow("Mixer");
     },
     ERROR_ACCESS_DENIED, true, "earlier setup program", "old mixer", true},
    {"LogonWithoutNewMixerStartsUpAsUsual", fake::versions::kWindowsXp, kLogon,
     [](fake::FakeMachine& m) {
       ArmedEarlier(m);
       m.files.DeleteFile("C:\\WINDOWS\\Mixer.dat");
     },
     0, false, "earlier setup program", "old mixer"},
};

INSTANTIATE_TEST_SUITE_P(Cases, MixerAcrossRestart, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
