// The text of a log line: quoting that keeps paths readable and every line
// one line, and the order of arguments, result, outputs and error.
#include <gtest/gtest.h>

#include "diagnostics/CallLine.h"

namespace {

using diagnostics::CallLine;

TEST(CallLine, TextKeepsPathsAndAnsiBytesAndEscapesWhatWouldBreakTheLine) {
  EXPECT_EQ(diagnostics::Quoted("C:\\Program Files\\Quarnex\\"),
            "\"C:\\Program Files\\Quarnex\\\"");
  EXPECT_EQ(diagnostics::Quoted("caf\xE9 \x83\x5C"), "\"caf\xE9 \x83\x5C\"");
  EXPECT_EQ(diagnostics::Quoted(std::string("a\"b%c\r\n\t\x7F\0", 10)),
            "\"a%22b%25c%0D%0A%09%7F%00\"");
}

TEST(CallLine, NumbersAndCodes) {
  EXPECT_EQ(diagnostics::Hex(0), "0x0");
  EXPECT_EQ(diagnostics::Hex(0xF003F), "0xF003F");
  EXPECT_EQ(diagnostics::Hex(~uint64_t{0}), "0xFFFFFFFFFFFFFFFF");
  EXPECT_EQ(diagnostics::Code(5), "5");
  EXPECT_EQ(diagnostics::Code(3010), "3010");
  EXPECT_EQ(diagnostics::Code(0xE000020B), "0xE000020B");
}

TEST(CallLine, ArgumentsResultOutputsAndError) {
  EXPECT_EQ(CallLine("A.B").Returns().str(), "A.B()");
  EXPECT_EQ(CallLine("Files.Copy")
                .Text("C:\\a")
                .Number(-1, "n")
                .Hex(16, "flags")
                .Flag(true)
                .Texts({"x", ""}, "list")
                .Returns(false)
                .Out("found", "\"y\"")
                .ErrorIf(true, 2)
                .str(),
            "Files.Copy(\"C:\\a\", n=-1, flags=0x10, true, list=[\"x\", \"\"]) -> false, "
            "found=\"y\", error=2");
  EXPECT_EQ(CallLine("A.B").ReturnsNumber(7).ErrorIf(false, 2).str(), "A.B() -> 7");
}

}  // namespace
