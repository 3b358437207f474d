// The driver's entry in the list of installed programs, and the removal run
// (/UNINSTALL) on a machine an installation left: what goes, what stays, and
// how each kind of run ends.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/CommandLineOf.h"
#include "app/SetupMain.h"
#include "driver/DriverInstallFixture.h"
#include "driver/RemovalEntry.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

using platform::Hive;
using namespace driver_test;

constexpr const char* kEntry =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnex Audio Driver";
constexpr const char* kCopy = "C:\\Program Files\\Quarnex\\W2KSetup.exe";
constexpr const char* kDeviceId = "PCI\\VEN_1E5B&DEV_0111&SUBSYS_00000000\\3&1";
constexpr const char* kOurInf =
    "[Version]\r\nDriverVer=01/15/2001,5.12.01.0004\r\n[Strings]\r\n"
    "VDX-Legacy.DeviceDesc=\"QXI4710 Legacy Audio Device\"\r\n";
constexpr const char* kOtherInf = "C:\\WINDOWS\\INF\\oem7.inf";

int RunFromCommandLine(fake::FakeMachine& machine, const platform::OsVersion& version,
                       const std::string& commandLine) {
  machine.system.SetVersion(version);
  machine.processes.SetCommandLine(commandLine);
  try {
    return RunSetupProgram(machine.platform(), CommandLineOf(machine), nullptr);
  } catch (const fake::ProcessExit& exit) {
    return exit.exitCode;
  }
}

// The controller, as Windows detects it again at the restart.
void AddController(fake::FakeMachine& machine) {
  machine.devices.AddDevice({kDeviceId, {"PCI\\VEN_1E5B&DEV_0111&SUBSYS_00000000"}});
}

// A machine with things the removal leaves alone, the driver installed from
// the read-only disc in D:, and, after the restart, the controller back.
void Installed(fake::FakeMachine& machine, const platform::OsVersion& version,
               bool restarted = true) {
  PrepareSystem(machine);
  AddDisc(machine);
  machine.files.AddFile("D:\\W2K-ME\\drv\\QXAUDIO.INF", kOurInf, FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile("C:\\WINDOWS\\Mixer.exe", "old mixer");
  machine.files.AddFile("C:\\WINDOWS\\mixerdef.ini", "[RUNTIME]\r\nInitialize=1\r\n");
  machine.files.AddFile(kOtherInf, "[Strings]\r\nVDX-Legacy.DeviceDesc=\"Acme Audio\"\r\n");
  AddController(machine);
  AnswerRestartLater(machine);
  ASSERT_EQ(RunFromCommandLine(machine, version, "D:\\W2KSetup.exe /DRIVER"), 3010);
  if (!restarted) return;
  machine.Restart();
  AddController(machine);
}

TEST(RemovalEntry, AnInstallationListsTheDriverWithItsCopy) {
  fake::FakeMachine machine;
  Installed(machine, fake::versions::kWindowsXp);
  const auto text = [&](const char* name) {
    const auto value = machine.registry.Value(Hive::LocalMachine, kEntry, name);
    return value ? value->data : std::string("<none>");
  };
  EXPECT_EQ(text("DisplayVersion"), std::string("5.12.01.0004") + '\0');
  EXPECT_EQ(text("UninstallString"), std::string("\"") + kCopy + "\" /UNINSTALL" + '\0');
  EXPECT_EQ(machine.files.Contents(kCopy), "setup program");
  // Copied from a read-only disc, it stays writable, as do the staged files.
  EXPECT_EQ(machine.files.Attributes(kCopy), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(machine.files.Attributes(std::string(kStaging) + "QXAUDIO.SYS"), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(machine.files.Attributes("C:\\WINDOWS\\Mixer.dat"), FILE_ATTRIBUTE_NORMAL);

  EXPECT_EQ(driver::DriverVersionOf("01/15/2001, 5.1 "), "5.1");
  EXPECT_EQ(driver::DriverVersionOf("01/15/2001"), "");
}

TEST(RemovalEntry, ARefusedHandOverLeavesAnEarlierEntryAsItWas) {
  fake::FakeMachine machine;
  PrepareSystem(machine);
  AddDisc(machine);
  machine.registry.SetString(Hive::LocalMachine, kEntry, "DisplayVersion", "1.0");
  machine.devices.copyOemInfRefusal = ERROR_ACCESS_DENIED;
  EXPECT_EQ(RunFromCommandLine(machine, fake::versions::kWindowsXp, "D:\\W2KSetup.exe /DRIVER"), 5);
  EXPECT_EQ(machine.registry.Value(Hive::LocalMachine, kEntry, "DisplayVersion")->data,
            std::string("1.0") + '\0');
  EXPECT_FALSE(machine.registry.Value(Hive::LocalMachine, kEntry, "UninstallString"));
  EXPECT_FALSE(machine.files.FileExists(kCopy));
}

struct RemovalCase {
  const char* name;
  platform::OsVersion version;
  bool installed;
  const char* commandLine;
  std::function<void(fake::FakeMachine&)> arrange;
  int exitCode;
  std::vector<std::string> leftAfterRestart;
  int box;  // the text of the box the run ends with, 0 for none
  bool restartedSinceInstalling = true;
};

void PrintTo(const RemovalCase& c, std::ostream* out) { *out << c.name; }

class Removal : public ::testing::TestWithParam<RemovalCase> {};

TEST_P(Removal, TakesOffWhatTheInstallationPutThereAndLeavesTheRest) {
  const RemovalCase& c = GetParam();
  fake::FakeMachine machine;
  if (c.installed) {
    Installed(machine, c.version, c.restartedSinceInstalling);
  } else {
    PrepareSystem(machine);
    AddDisc(machine);
    machine.files.AddFile("C:\\WINDOWS\\Mixer.exe", "old mixer");
  }
  if (c.arrange) c.arrange(machine);
  const size_t boxesBefore = machine.desktop.MessageBoxes().size();
  const std::string mixer = machine.files.Contents("C:\\WINDOWS\\Mixer.exe");

  EXPECT_EQ(RunFromCommandLine(machine, c.version, c.commandLine), c.exitCode);
  machine.Restart();

  EXPECT_EQ(DriverLeft(machine), c.leftAfterRestart);
  if (c.exitCode == 0 || c.exitCode == 3010) {
    // The setup services remove the INF where Windows has their removal.
    EXPECT_EQ(JournalHas(machine.journal, "uninstalloeminf"),
              c.version.majorVersion > 5 || c.version.minorVersion >= 1);
  }
  // Not the removal's: the mixer, another maker's INF, the mixer's settings.
  // A move of the new mixer that the restart would have made is taken back.
  EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\Mixer.exe"), mixer);
  if (c.installed) {
    EXPECT_TRUE(machine.files.FileExists(kOtherInf));
    EXPECT_TRUE(machine.files.FileExists("C:\\WINDOWS\\mixerdef.ini"));
  }
  const auto& boxes = machine.desktop.MessageBoxes();
  if (c.box) {
    ASSERT_GT(boxes.size(), boxesBefore);
    EXPECT_EQ(boxes.back().text, machine.desktop.LoadString(c.box));
  } else {
    EXPECT_TRUE(boxes.size() == boxesBefore ||
                boxes.back().text == machine.desktop.LoadString(IDS_REMOVE_QUESTION));
  }
}

void AnswerNo(fake::FakeMachine& machine) { machine.desktop.AnswerMessageBoxes(IDNO); }

const std::vector<std::string> kEverything = {"C:\\WINDOWS\\W2KSetup.exe",
                                              "C:\\WINDOWS\\Mixer.dat",
                                              "C:\\WINDOWS\\INF\\oem1.inf",
                                              kCopy,
                                              "C:\\Program Files\\Quarnex\\WIN_ME",
                                              "C:\\Program Files\\Quarnex\\DOS",
                                              "C:\\Program Files\\Quarnex",
                                              "entry",
                                              "logon entry",
                                              kDeviceId};

const RemovalCase kRemovals[] = {
    {"FromTheDiscOnXp",
     fake::versions::kWindowsXp,
     true,
     "D:\\W2KSetup.exe /UNINSTALL",
     nullptr,
     0,
     {},
     IDS_REMOVED},
    {"ThroughTheListOnWindows10AtTheRestart",
     fake::versions::kWindows10,
     true,
     "\"C:\\Program Files\\Quarnex\\W2KSetup.exe\" /UNINSTALL",
     nullptr,
     3010,
     {},
     IDS_REMOVED_RESTART},
    {"OnWindows10BeforeTheRestart",
     fake::versions::kWindows10,
     true,
     "D:\\W2KSetup.exe /UNINSTALL",
     nullptr,
     0,
     {},
     IDS_REMOVED,
     false},
    {"OnWindows2000AsFiles",
     fake::versions::kWindows2000,
     true,
     "D:\\W2KSetup.exe -uninstall",
     nullptr,
     0,
     {},
     IDS_REMOVED},
    {"QuietWithoutAWindow",
     fake::versions::kWindowsXp,
     true,
     "D:\\W2KSetup.exe /UNINSTALL /QUIET /NORESTART",
     nullptr,
     0,
     {},
     0},
    {"NoChangesNothing", fake::versions::kWindowsXp, true, "D:\\W2KSetup.exe /UNINSTALL", AnswerNo,
     1602, kEverything, 0},
    {"NothingInstalled",
     fake::versions::kWindowsXp,
     false,
     "D:\\W2KSetup.exe /UNINSTALL",
     nullptr,
     1605,
     {},
     IDS_NOTHING_TO_REMOVE},
    {"BeforeWindows2000",
     fake::versions::kWindows98,
     false,
     "D:\\W2KSetup.exe /UNINSTALL",
     nullptr,
     1150,
     {},
     IDS_REMOVAL_NEEDS_WINDOWS_2000},
    {"ALockedFileKeepsTheEntry",
     fake::versions::kWindowsXp,
     true,
     "D:\\W2KSetup.exe /UNINSTALL",
     [](fake::FakeMachine& m) { m.files.LockFile("C:\\WINDOWS\\Mixer.dat"); },
     1603,
     {"C:\\WINDOWS\\Mixer.dat", kCopy, "C:\\Program Files\\Quarnex", "entry"},
     IDS_NOT_REMOVED},
};

INSTANTIATE_TEST_SUITE_P(Runs, Removal, ::testing::ValuesIn(kRemovals),
                         [](const ::testing::TestParamInfo<RemovalCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
