// The Windows directory text every subsystem builds its paths from.
#include <gtest/gtest.h>

#include "common/Paths.h"
#include "fake/FakeMachine.h"

namespace {

TEST(WindowsDirectoryWithBackslash, EndsInABackslashOfItsOwn) {
  struct Case {
    const char* directory;
    int codePage;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\WINDOWS", 1252, "C:\\WINDOWS\\"},
      {"C:\\", 1252, "C:\\"},
      // "\x83\x5C" is one Shift-JIS character: its second byte is no backslash.
      {"C:\\\x83\x5C", 932, "C:\\\x83\x5C\\"},
      {"C:\\\x83\x5C", 1252, "C:\\\x83\x5C"},
      {"C:\\\x83\x5C\\", 932, "C:\\\x83\x5C\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory);
    fake::FakeMachine machine;
    machine.system.SetCodePage(c.codePage);
    machine.files.SetWindowsDirectoryText(c.directory);
    EXPECT_EQ(WindowsDirectoryWithBackslash(machine.platform()), c.expected);
  }
}

}  // namespace
