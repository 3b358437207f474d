// The values of a log line: quoting that keeps paths readable and every line
// one line, numbers and codes, and what a pointer argument shows.
#include <gtest/gtest.h>

#include "observation/ValueText.h"

namespace {

using observation::Text;

TEST(ValueText, TextKeepsPathsAndAnsiBytesAndEscapesWhatWouldBreakTheLine) {
  EXPECT_EQ(Text(std::string("C:\\Program Files\\Quarnex\\")), "\"C:\\Program Files\\Quarnex\\\"");
  EXPECT_EQ(Text(std::string("caf\xE9 \x83\x5C")), "\"caf\xE9 \x83\x5C\"");
  EXPECT_EQ(Text(std::string("a\"b%c\r\n\t\x7F\0", 10)), "\"a%22b%25c%0D%0A%09%7F%00\"");
  EXPECT_EQ(Text('%'), "\"%25\"");
  EXPECT_EQ(Text(std::vector<std::string>{"x", ""}), "[\"x\", \"\"]");
}

TEST(ValueText, NumbersAndCodes) {
  EXPECT_EQ(observation::Hex(0), "0x0");
  EXPECT_EQ(observation::Hex(~uint64_t{0}), "0xFFFFFFFFFFFFFFFF");
  EXPECT_EQ(Text(uint32_t{3010}), "3010");
  EXPECT_EQ(Text(uint32_t{0xF003F}), "0xF003F");
  EXPECT_EQ(Text(uint32_t{0xE000020B}), "0xE000020B");
  EXPECT_EQ(Text(-1), "-1");
  EXPECT_EQ(Text(intptr_t{-1}), "-1");
  EXPECT_EQ(Text(true), "true");
}

TEST(ValueText, APointerShowsWhatItPointsTo) {
  platform::RegKey key = 0x5C;
  EXPECT_EQ(Text(&key), "92");
  EXPECT_EQ(Text(static_cast<platform::RegKey*>(nullptr)), "null");
  std::string text = "a";
  EXPECT_EQ(Text(&text), "\"a\"");
  platform::FindData found{0x20, "a.txt"};
  EXPECT_EQ(Text(&found), "...") << "no text of its own";
  uint8_t buffer[4] = {};
  EXPECT_EQ(Text(buffer + 0), "buffer");
}

}  // namespace
