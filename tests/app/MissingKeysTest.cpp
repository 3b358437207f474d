// Machines that lack the registry keys the program reads or writes: every
// step that needs one passes over it, and no key is ever created.
#include <gtest/gtest.h>

#include "app/CommandLineOf.h"
#include "app/SetupApp.h"
#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

using platform::Hive;

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kAudioKey = "Software\\Microsoft\\Multimedia\\Audio";
constexpr const char* kDefaultUserAudioKey = ".Default\\Software\\Microsoft\\Multimedia\\Audio";
constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tonivo Applications";

int RunProgram(fake::FakeMachine& machine, const std::string& arguments) {
  machine.system.SetVersion(fake::versions::kWindowsXp);
  machine.processes.SetCommandLine("D:\\W2KSetup.exe " + arguments);
  CSetupApp app(machine.platform(), CommandLineOf(machine));
  try {
    return app.Run();
  } catch (const fake::ProcessExit& exit) {
    return exit.exitCode;
  }
}

void ExpectNoKeyCreated(const fake::FakeMachine& machine) {
  EXPECT_FALSE(machine.registry.KeyExists(Hive::LocalMachine, kRunKey));
  EXPECT_FALSE(machine.registry.KeyExists(Hive::CurrentUser, kAudioKey));
  EXPECT_FALSE(machine.registry.KeyExists(Hive::Users, kDefaultUserAudioKey));
  EXPECT_FALSE(machine.registry.KeyExists(Hive::LocalMachine, kUninstallKey));
  EXPECT_EQ(machine.registry.OpenKeyCount(), 0u);
}

TEST(MissingKeys, ADriverRunInstallsWithoutArmingTheLogonRun) {
  fake::FakeMachine machine;
  driver_test::AddDisc(machine);
  machine.files.AddFolder("C:\\WINDOWS\\INF\\OTHER");
  machine.registry.RemoveKey(Hive::LocalMachine, kRunKey);
  driver_test::AnswerRestartLater(machine);

  EXPECT_EQ(RunProgram(machine, "/DRIVER"), 3010);

  EXPECT_EQ(machine.devices.copiedInfs.size(), 1u);
  // "Mixer.dat" is staged, but without a Run key nothing would start the swap.
  EXPECT_TRUE(machine.files.FileExists("C:\\WINDOWS\\Mixer.dat"));
  ExpectNoKeyCreated(machine);
}

TEST(MissingKeys, ASuiteRunStartsTheSuiteSetupWithoutUninstalling) {
  fake::FakeMachine machine;
  machine.files.AddFile("D:\\W2K-ME\\app\\Setup.exe", "suite setup");
  machine.registry.RemoveKey(Hive::LocalMachine, kRunKey);

  EXPECT_EQ(RunProgram(machine, "/AP"), 0);

  ASSERT_EQ(machine.processes.Started().size(), 1u);
  EXPECT_EQ(machine.processes.Started()[0].program, "D:\\W2K-ME\\app\\Setup.exe");
  ExpectNoKeyCreated(machine);
}

// Without the Run key the logon run cannot disarm itself: it leaves the
// mode and starts up as an ordinary run, swapping nothing.
TEST(MissingKeys, ALogonRunWithoutTheRunKeyLeavesTheMixerAlone) {
  fake::FakeMachine machine;
  machine.files.AddFile("C:\\WINDOWS\\Mixer.exe", "old mixer");
  machine.files.AddFile("C:\\WINDOWS\\Mixer.dat", "new mixer");
  machine.files.AddFile("C:\\WINDOWS\\setup.ini", "[InstallOption]\r\nWebSetup=1\r\n");
  machine.registry.RemoveKey(Hive::LocalMachine, kRunKey);
  machine.system.SetVersion(fake::versions::kWindowsXp);
  machine.processes.SetCommandLine("C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer");

  CSetupApp app(machine.platform(), CommandLineOf(machine));
  EXPECT_EQ(app.Run(), 0);

  EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\Mixer.exe"), "old mixer");
  EXPECT_TRUE(machine.processes.Started().empty());
  ExpectNoKeyCreated(machine);
}

}  // namespace
