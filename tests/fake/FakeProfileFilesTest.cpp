// The fake profile functions must read and write as Windows does, since the
// program's behaviour depends on those details (cases from the profile
// conformance tests that pass on Windows).
#include <gtest/gtest.h>

#include "fake/CapturedFailures.h"
#include "fake/FakeMachine.h"

namespace {

const std::string kIni = "C:\\TEST\\test.ini";

class FakeProfileFilesTest : public ::testing::Test {
 protected:
  fake::FakeMachine machine;
};

TEST_F(FakeProfileFilesTest, ReadsLikeGetPrivateProfile) {
  machine.files.AddFile(kIni,
                        "[s]\r\n"
                        "  Name1 =  val1  \r\n"
                        "name2=\r\n"
                        "name3\r\n"
                        "quoted=\"a b\"\r\n"
                        "num= 42abc\r\n"
                        "neg=-3\r\n"
                        "text=yes\r\n"
                        "[ S2 ]\r\n"
                        "name1=other\r\n");
  fake::FakeProfileFiles& p = machine.profiles;
  EXPECT_EQ(p.GetString("S", "NAME1", "d", 64, kIni), "val1");
  EXPECT_EQ(p.GetString("s", "name2", "d", 64, kIni), "");
  EXPECT_EQ(p.GetString("s", "name3", "def  ", 64, kIni), "def");  // no '=': not a key
  EXPECT_EQ(p.GetString("s", "quoted", "", 64, kIni), "a b");
  EXPECT_EQ(p.GetString("s2", "name1", "", 64, kIni), "other");
  EXPECT_EQ(p.GetString("s", "name1", "", 4, kIni), "val");  // cut to the buffer
  EXPECT_EQ(p.GetInt("s", "num", 7, kIni), 42u);
  EXPECT_EQ(p.GetInt("s", "neg", 7, kIni), static_cast<uint32_t>(-3));
  EXPECT_EQ(p.GetInt("s", "text", 7, kIni), 0u);   // not a number: 0
  EXPECT_EQ(p.GetInt("s", "name2", 7, kIni), 7u);  // empty: the default
  EXPECT_EQ(p.GetInt("s", "missing", 7, kIni), 7u);
  EXPECT_EQ(p.GetInt("s", "num", 7, "C:\\TEST\\none.ini"), 7u);
}

// As Wine 8 reads them (checked with GetPrivateProfileIntA/StringA).
TEST_F(FakeProfileFilesTest, ReadsMarkedUnicodeFilesTheFirstSectionAndNumberPrefixes) {
  const std::string text = "[s]\r\nkey=QX \xE3\x82\xBD\r\nnum=0x1F\r\n";
  std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
  for (char c : std::string("[s]\r\nkey=QX ")) utf16le += std::string{c, '\0'};
  utf16le += std::string("\xBD\x30", 2);  // U+30BD, no ANSI character here
  for (char c : std::string("[s]\r\nnum=7\r\n")) utf16be += std::string{'\0', c};
  machine.files.AddFile("C:\\TEST\\le.ini", utf16le);
  machine.files.AddFile("C:\\TEST\\be.ini", utf16be);
  machine.files.AddFile("C:\\TEST\\utf8.ini", "\xEF\xBB\xBF" + text);
  fake::FakeProfileFiles& p = machine.profiles;
  EXPECT_EQ(p.GetString("s", "key", "", 64, "C:\\TEST\\le.ini"), "QX ?");
  EXPECT_EQ(p.GetInt("s", "num", 0, "C:\\TEST\\be.ini"), 7u);
  EXPECT_EQ(p.GetString("s", "key", "", 64, "C:\\TEST\\utf8.ini"), "QX ?");

  machine.files.AddFile(kIni,
                        "[s]\r\na=1\r\n[t]\r\n[S]\r\na=2\r\nb=3\r\n"
                        "[n]\r\nbin=0b101\r\noct=0o17\r\nhex=0XfF\r\nbig=4294967297\r\n"
                        "plus=+7\r\nbad=0b2\r\n");
  EXPECT_EQ(p.GetInt("s", "a", 9, kIni), 1u);
  EXPECT_EQ(p.GetInt("s", "b", 9, kIni), 9u);  // only in the second [s]
  EXPECT_EQ(p.GetInt("n", "bin", 9, kIni), 5u);
  EXPECT_EQ(p.GetInt("n", "oct", 9, kIni), 15u);
  EXPECT_EQ(p.GetInt("n", "hex", 9, kIni), 255u);
  EXPECT_EQ(p.GetInt("n", "big", 9, kIni), 1u);  // wraps at 32 bits
  EXPECT_EQ(p.GetInt("n", "plus", 9, kIni), 7u);
  EXPECT_EQ(p.GetInt("n", "bad", 9, kIni), 0u);
}

TEST_F(FakeProfileFilesTest, RefusesToWriteAUnicodeFile) {
  machine.files.AddFile(kIni, std::string("\xFF\xFE[\0s\0]\0", 8));
  bool written = true;
  const auto failures =
      fake::FailuresOf([&] { written = machine.profiles.WriteString("s", "k", "v", kIni); });
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(std::string(failures[0].message()).find("ANSI profile files only"), std::string::npos);
  EXPECT_FALSE(written);
}

TEST_F(FakeProfileFilesTest, WritesCreateFileSectionAndKey) {
  machine.files.AddFolder("C:\\TEST");
  fake::FakeProfileFiles& p = machine.profiles;
  ASSERT_TRUE(p.WriteString("CD PLAYER", "UsingCDDA", "1", kIni));
  ASSERT_TRUE(p.WriteString("cd player", "Other", "x", kIni));
  ASSERT_TRUE(p.WriteString("CD Player", "usingcdda", "0", kIni));
  ASSERT_TRUE(p.WriteString("Second", "k", "v", kIni));
  EXPECT_EQ(machine.files.Contents(kIni),
            "[CD PLAYER]\r\nUsingCDDA=0\r\nOther=x\r\n[Second]\r\nk=v\r\n");
  EXPECT_FALSE(p.WriteString("s", "k", "v", "C:\\NOFOLDER\\x.ini"));
  // A bare file name means the Windows directory.
  ASSERT_TRUE(p.WriteString("s", "k", "v", "win.ini"));
  EXPECT_TRUE(machine.files.FileExists("C:\\WINDOWS\\win.ini"));
}

}  // namespace
