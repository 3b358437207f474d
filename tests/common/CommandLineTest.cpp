// Splitting the process command line into the program path and the rest.
#include <gtest/gtest.h>

#include "common/CommandLine.h"

namespace {

TEST(CommandLine, ProgramPathAndTail) {
  struct Case {
    const char* line;
    const char* path;
    const char* tail;
  };
  const Case cases[] = {
      {"C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer", "C:\\WINDOWS\\W2KSetup.exe", "-ReplaceMixer"},
      {"\"D:\\My Disc\\W2KSetup.exe\"   /AP ", "D:\\My Disc\\W2KSetup.exe", "/AP "},
      {"\"D:\\My Disc\\W2KSetup.exe\"", "D:\\My Disc\\W2KSetup.exe", ""},
      {"W2KSetup.exe\t/driver", "W2KSetup.exe", "/driver"},
      {"\"unterminated path", "unterminated path", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(ProgramPathArgument(c.line), c.path);
    EXPECT_EQ(CommandLineAfterProgramName(c.line), c.tail);
  }
}

}  // namespace
