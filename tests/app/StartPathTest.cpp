// The choice of path from the Windows version, setup.ini and the command line.
#include <gtest/gtest.h>

#include "app/StartPath.h"
#include "fake/FakeMachine.h"

namespace {

struct Row {
  bool win2000;
  uint32_t driverOnly, webSetup, installWdm;
  const char* commandLine;  // already upper-cased
  StartPath expected;
};

const Row kRows[] = {
    // Older systems always forward, whatever the options say.
    {false, 0, 0, 0, "", StartPath::ForwardToDiscSetup},
    {false, 1, 2, 1, "/AP", StartPath::ForwardToDiscSetup},
    // Windows 2000 and later with WebSetup 0.
    {true, 0, 0, 0, "/AP", StartPath::SuiteOnly},
    {true, 0, 0, 0, "AP", StartPath::SuiteOnly},
    {true, 0, 0, 0, "-AP", StartPath::SuiteOnly},
    {true, 1, 0, 0, "/AP", StartPath::SuiteOnly},  // the suite switch is tested first
    {true, 0, 0, 0, "/DRIVER", StartPath::DriverOnly},
    {true, 0, 0, 0, "DRIVER", StartPath::DriverOnly},
    {true, 0, 0, 0, "-DRIVER", StartPath::DriverOnly},
    {true, 7, 0, 0, "", StartPath::DriverOnly},
    {true, 0, 0, 1, "", StartPath::MainDialog},
    {true, 0, 0, 0, "/AP ", StartPath::MainDialog},  // a trailing blank matches no switch
    {true, 0, 0, 0, "/AP /DRIVER", StartPath::MainDialog},
    {true, 0, 0, 0, "/A", StartPath::MainDialog},
    {true, 0, 0, 0, "-REPLACEMIXER", StartPath::MainDialog},
    // WebSetup 1: the options dialog or nothing; the command line is ignored.
    {true, 0, 1, 1, "", StartPath::WdmOptionsDialog},
    {true, 1, 1, 0, "/DRIVER", StartPath::Nothing},
    // Any other WebSetup value: the web package, switches ignored.
    {true, 0, 2, 0, "/AP", StartPath::WebPackageDriver},
    {true, 1, 0xFFFFFFFF, 1, "", StartPath::WebPackageDriver},
};

TEST(StartPath, FirstMatchingRowWins) {
  for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); ++i) {
    SCOPED_TRACE(i);
    const Row& row = kRows[i];
    InstallOptions options{row.driverOnly, row.webSetup, row.installWdm};
    EXPECT_EQ(ChooseStartPath(row.win2000, options, row.commandLine), row.expected);
  }
}

TEST(StartPath, OptionsComeFromSetupIniWithZeroDefaults) {
  fake::FakeMachine machine;
  const std::string ini = "D:\\setup.ini";
  InstallOptions missing = ReadInstallOptions(machine.profiles, ini);
  EXPECT_EQ(missing.driverOnly, 0u);
  EXPECT_EQ(missing.webSetup, 0u);
  EXPECT_EQ(missing.installWdmDriver, 0u);

  machine.files.AddFile(ini,
                        "[InstallOption]\r\nDriverOnly = 1\r\nwebsetup=2abc\r\n"
                        "InstallWDMDriver=yes\r\n");
  InstallOptions read = ReadInstallOptions(machine.profiles, ini);
  EXPECT_EQ(read.driverOnly, 1u);
  EXPECT_EQ(read.webSetup, 2u);  // leading digits, as GetPrivateProfileIntA reads them
  EXPECT_EQ(read.installWdmDriver, 0u);
}

}  // namespace
