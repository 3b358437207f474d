// Discs that lack a folder, or hold a folder where a file belongs (or a file
// where a folder belongs): what a driver-only run from them does.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "driver/DriverInstallFixture.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

using namespace driver_test;

const std::string kDrv = "D:\\W2K-ME\\drv\\";
const std::string kOtherDrv = "D:\\WIN_ME\\drv\\";
const std::string kDosdrv = "D:\\Dosdrv\\";
constexpr const char* kNotFound =
    "The driver could not be installed.\n\nThe system cannot find the file specified.";

struct DiscCase {
  const char* name;
  std::function<void(fake::FakeMachine&)> shapeDisc;
  int exitCode;
  const char* handedOverFrom;  // the package folder whose INF was installed; null: none
  bool dosFilesStaged;
  bool logonRunArmed;
};

void PrintTo(const DiscCase& c, std::ostream* out) { *out << c.name; }

void AddDos(fake::FakeMachine& machine) {
  machine.files.AddFile(kDosdrv + "QXDOS.EXE", "dos driver", FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile(kDosdrv + "DOSAPP\\QXMIX.EXE", "dos mixer", FILE_ATTRIBUTE_READONLY);
}

class DiscLayoutTest : public ::testing::TestWithParam<DiscCase> {};

TEST_P(DiscLayoutTest, ADriverOnlyRunInstallsWhatIsThereOrSaysWhyNot) {
  const DiscCase& c = GetParam();
  fake::FakeMachine machine;
  PrepareSystem(machine);
  machine.files.AddFile("D:\\W2KSetup.exe", "setup program", FILE_ATTRIBUTE_READONLY);
  c.shapeDisc(machine);
  if (c.handedOverFrom) AnswerRestartLater(machine);

  EXPECT_EQ(RunFromStartRoutine(machine, kDriverOnlyRun, kDisc), c.exitCode);

  if (c.handedOverFrom) {
    EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\INF\\oem1.inf"),
              "[Version]\r\n; " + std::string(c.handedOverFrom) + "\r\n");
    EXPECT_EQ(machine.desktop.MessageBoxes().size(), 1u);  // the notice alone
  } else {
    EXPECT_FALSE(machine.files.FileExists("C:\\WINDOWS\\INF\\oem1.inf"));
    ASSERT_EQ(machine.desktop.MessageBoxes().size(), 2u);
    EXPECT_EQ(machine.desktop.MessageBoxes()[1].text, kNotFound);
    EXPECT_EQ(machine.desktop.DialogsRun(), std::vector<int>{});  // no restart prompt
  }
  EXPECT_EQ(machine.files.FileExists(std::string(kDos) + "QXDOS.EXE"), c.dosFilesStaged);
  EXPECT_EQ(machine.registry.Value(platform::Hive::LocalMachine, kRunKey, kRunValue).has_value(),
            c.logonRunArmed);
  EXPECT_EQ(machine.files.OpenSearches(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    DiscLayouts, DiscLayoutTest,
    ::testing::Values(
        DiscCase{"complete",
                 [](fake::FakeMachine& m) {
                   AddDriverPackage(m, kDrv);
                   AddDos(m);
                 },
                 3010, "D:\\W2K-ME\\drv\\", true, true},
        DiscCase{"without_dosdrv", [](fake::FakeMachine& m) { AddDriverPackage(m, kDrv); }, 3010,
                 "D:\\W2K-ME\\drv\\", false, true},
        // W2K-ME\ holds no drv\ and there is no WIN_ME\ either.
        DiscCase{"without_drv",
                 [](fake::FakeMachine& m) {
                   m.files.AddFolder("D:\\W2K-ME");
                   AddDos(m);
                 },
                 2, nullptr, true, false},
        DiscCase{"inf_is_a_folder",
                 [](fake::FakeMachine& m) {
                   AddDriverPackage(m, kDrv);
                   m.files.SetFileAttributes(kDrv + "QXAUDIO.INF", FILE_ATTRIBUTE_NORMAL);
                   m.files.DeleteFile(kDrv + "QXAUDIO.INF");
                   m.files.AddFolder(kDrv + "QXAUDIO.INF");
                 },
                 2, nullptr, false, false},
        DiscCase{"mixer_dat_is_a_folder",
                 [](fake::FakeMachine& m) {
                   AddDriverPackage(m, kDrv);
                   m.files.SetFileAttributes(kDrv + "Mixer.dat", FILE_ATTRIBUTE_NORMAL);
                   m.files.DeleteFile(kDrv + "Mixer.dat");
                   m.files.AddFolder(kDrv + "Mixer.dat");
                 },
                 3010, "D:\\W2K-ME\\drv\\", false, false},
        // The other layout is used when W2K-ME cannot be entered.
        DiscCase{"w2k_me_is_a_file",
                 [](fake::FakeMachine& m) {
                   m.files.AddFile("D:\\W2K-ME", "not a folder");
                   AddDriverPackage(m, kOtherDrv);
                 },
                 3010, "D:\\WIN_ME\\drv\\", false, true},
        DiscCase{"dosdrv_is_a_file",
                 [](fake::FakeMachine& m) {
                   AddDriverPackage(m, kDrv);
                   m.files.AddFile("D:\\Dosdrv", "not a folder");
                 },
                 3010, "D:\\W2K-ME\\drv\\", false, true}),
    [](const ::testing::TestParamInfo<DiscCase>& info) { return info.param.name; });

}  // namespace
