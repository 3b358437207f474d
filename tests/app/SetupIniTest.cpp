// Damaged and unusual options files: what the start routine reads from each,
// as the profile functions read it, and the path it then takes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/CommandLineOf.h"
#include "app/SetupApp.h"
#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "res/resource.h"

namespace {

const std::string kDisc = "D:\\DISC\\";

std::string Utf16LittleEndianWithMark(const std::string& text) {
  std::string data = "\xFF\xFE";
  for (char c : text) data += std::string{c, '\0'};
  return data;
}

// Every byte value, four times over: no section, no key.
std::string Garbage() {
  std::string data;
  for (int round = 0; round < 4; ++round) {
    for (int byte = 0; byte < 256; ++byte) data += static_cast<char>(byte);
  }
  return data;
}

// Megabytes of comment lines before the section.
std::string SeveralMegabytes() {
  std::string data;
  const std::string comment = "; " + std::string(98, 'x') + "\r\n";
  while (data.size() < 4 * 1024 * 1024) data += comment;
  return data + "[InstallOption]\r\nWebSetup=2\r\n";
}

struct SetupIniCase {
  const char* name;
  std::optional<std::string> contents;  // none: no setup.ini
  StartPath path;                       // the path a Windows XP run takes
};

void PrintTo(const SetupIniCase& c, std::ostream* out) { *out << c.name; }

class SetupIniTest : public ::testing::TestWithParam<SetupIniCase> {};

TEST_P(SetupIniTest, IsReadAsWindowsReadsItAndPicksItsPath) {
  const SetupIniCase& c = GetParam();
  fake::FakeMachine machine;
  driver_test::PrepareRecordObservation(machine, kDisc);
  machine.files.AddFile(kDisc + "W2K-ME\\app\\Setup.exe", "suite setup");
  if (c.contents) machine.files.AddFile(kDisc + "setup.ini", *c.contents);
  machine.system.SetVersion(fake::versions::kWindowsXp);
  machine.processes.SetCommandLine(kDisc + "W2KSetup.exe");
  // The fake fails the test for a dialog shown without a script, or a script never used.
  int dialog = 0;
  const DriverInstallOptions* record = nullptr;
  int exitCode = 0;
  switch (c.path) {
    case StartPath::MainDialog:
      dialog = IDD_SETUP;
      exitCode = 1602;
      break;
    case StartPath::WdmOptionsDialog:
      dialog = IDD_WDM_OPTIONS;
      exitCode = 1602;
      break;
    case StartPath::DriverOnly:
      record = &kDriverOnlyRun;
      exitCode = 3010;
      break;
    case StartPath::WebPackageDriver:
      record = &kWebPackageRun;
      exitCode = 3010;
      break;
    default:
      break;
  }
  if (dialog) machine.desktop.Script(dialog, {fake::PressEscape()});
  if (record) driver_test::AnswerRestartLater(machine);

  CSetupApp app(machine.platform(), CommandLineOf(machine));
  EXPECT_EQ(app.Run(), exitCode);

  EXPECT_EQ(machine.desktop.DialogsRun(),
            dialog ? std::vector<int>{dialog}
                   : (record ? std::vector<int>{IDD_RESTART} : std::vector<int>{}));
  ASSERT_EQ(machine.devices.copiedInfs.empty(), record == nullptr);
  if (record) {
    EXPECT_EQ(driver_test::ObservedRecord(machine, 0), *record);
  }
  // The file is read, never written.
  if (c.contents) {
    EXPECT_EQ(machine.files.Contents(kDisc + "setup.ini"), *c.contents);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BadSetupIni, SetupIniTest,
    ::testing::Values(
        SetupIniCase{"missing", std::nullopt, StartPath::MainDialog},
        SetupIniCase{"empty", "", StartPath::MainDialog},
        SetupIniCase{"binary_garbage", Garbage(), StartPath::MainDialog},
        SetupIniCase{
            "utf16_with_byte_order_mark",
            Utf16LittleEndianWithMark("[InstallOption]\r\nWebSetup=1\r\nInstallWDMDriver=1\r\n"),
            StartPath::WdmOptionsDialog},
        SetupIniCase{"blank_before_the_number", "[InstallOption]\r\nWebSetup= 2\r\n",
                     StartPath::WebPackageDriver},
        // -1 reads as 0xFFFFFFFF: not 0.
        SetupIniCase{"minus_one", "[InstallOption]\r\nDriverOnly=-1\r\n", StartPath::DriverOnly},
        // Wraps at 32 bits to 1215752191: neither 0 nor 1.
        SetupIniCase{"eleven_digits", "[InstallOption]\r\nWebSetup=99999999999\r\n",
                     StartPath::WebPackageDriver},
        // Wraps to 1: the options dialog's value, without InstallWDMDriver nothing runs.
        SetupIniCase{"wraps_to_one", "[InstallOption]\r\nWebSetup=4294967297\r\n",
                     StartPath::Nothing},
        // Only the first section of a name is read.
        SetupIniCase{"section_twice",
                     "[InstallOption]\r\nDriverOnly=0\r\n[InstallOption]\r\nWebSetup=2\r\n",
                     StartPath::MainDialog},
        SetupIniCase{"several_megabytes", SeveralMegabytes(), StartPath::WebPackageDriver}),
    [](const ::testing::TestParamInfo<SetupIniCase>& info) { return info.param.name; });

// A folder named "setup.ini" reads as no file: the defaults, and the main dialog.
TEST(SetupIni, AFolderNamedLikeTheFileGivesTheDefaults) {
  fake::FakeMachine machine;
  machine.files.AddFolder(kDisc + "setup.ini");
  machine.files.AddFile(kDisc + "W2KSetup.exe", "program");
  machine.files.AddFile(kDisc + "W2K-ME\\app\\Setup.exe", "suite setup");
  machine.system.SetVersion(fake::versions::kWindowsXp);
  machine.processes.SetCommandLine(kDisc + "W2KSetup.exe");
  machine.desktop.Script(IDD_SETUP, {fake::PressEscape()});

  CSetupApp app(machine.platform(), CommandLineOf(machine));
  EXPECT_EQ(app.Run(), 1602);

  EXPECT_EQ(machine.desktop.DialogsRun(), std::vector<int>{IDD_SETUP});
  EXPECT_TRUE(machine.files.FolderExists(kDisc + "setup.ini"));
  EXPECT_EQ(machine.profiles.Get("CD PLAYER", "UsingCDDA", "C:\\WINDOWS\\QXCDPLAY.INI"), "0");
}

}  // namespace
