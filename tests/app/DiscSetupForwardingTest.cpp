// The hand-over to the disc's general setup program before Windows 2000.
#include <gtest/gtest.h>

#include "app/DiscSetupForwarding.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

TEST(ForwardToDiscSetup, SwitchFromTheCommandLineOrDriverOnly) {
  struct Case {
    const char* commandLine;
    uint32_t driverOnly;
    const char* suffix;
  };
  const Case cases[] = {
      {"/AP", 0, " /AP"},        {"AP", 1, " /AP"},
      {"-AP", 0, " /AP"},        {"/DRIVER", 0, " /DRIVER"},
      {"DRIVER", 0, " /DRIVER"}, {"-DRIVER", 0, " /DRIVER"},
      {"", 1, " /DRIVER"},       {"", 0, ""},
      {"/AP ", 0, ""},           {"/ap", 0, ""},  // the caller upper-cases first
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    fake::FakeMachine machine;
    machine.files.AddFile("D:\\DISC\\Setup.exe", "");
    ForwardToDiscSetup(machine.processes, "D:\\DISC\\", c.commandLine, c.driverOnly);
    ASSERT_EQ(machine.processes.Started().size(), 1u);
    EXPECT_EQ(machine.processes.Started()[0].commandLine,
              std::string("\"D:\\DISC\\Setup.exe\"") + c.suffix);
    EXPECT_TRUE(machine.processes.Started()[0].viaWinExec);
    EXPECT_EQ(machine.processes.Started()[0].showWindow, SW_SHOW);
  }
}

}  // namespace
