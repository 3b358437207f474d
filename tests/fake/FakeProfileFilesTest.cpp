// The fake profile functions must read and write as Windows does, since the
// program's behaviour depends on those details (cases from the profile
// conformance tests that pass on Windows).
#include <gtest/gtest.h>

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
