// The program directory rule.
#include <gtest/gtest.h>

#include "common/ProgramDirectory.h"
#include "fake/FakeMachine.h"

namespace {

struct Case {
  const char* programPath;
  const char* currentDirectory;
  const char* expected;
};

TEST(ProgramDirectory, FollowsTheDriveAndFolderRule) {
  const Case cases[] = {
      {"D:\\SETUP\\INSTALL.EXE", "C:\\", "D:\\SETUP\\"},
      {"\\SETUP\\INSTALL.EXE", "E:\\TEMP", "E:\\SETUP\\"},
      {"E:\\INSTALL.EXE", "C:\\", "E:\\"},
      {"D:\\Program Files\\Disc\\W2KSetup.exe", "C:\\", "D:\\Program Files\\Disc\\"},
      // A one-letter folder: the current drive and a backslash go in front.
      {"X\\SUB\\W2KSetup.exe", "D:\\WORK", "D:\\X\\SUB\\"},
      // A network path keeps its own form.
      {"\\\\server\\share\\dir\\prog.exe", "C:\\WINDOWS", "\\\\server\\share\\dir\\"},
      // Only a program name: the program was started from the current folder.
      {"W2KSetup.exe", "D:\\DISC", "D:\\DISC\\"},
      {"W2KSetup.exe", "D:\\", "D:\\"},
      {"\\W2KSetup.exe", "F:\\TEMP", "F:\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.programPath);
    fake::FakeMachine machine;
    machine.files.AddFolder(c.currentDirectory);
    ASSERT_TRUE(machine.files.SetCurrentDirectory(c.currentDirectory));
    EXPECT_EQ(DeriveProgramDirectory(machine.platform(), c.programPath), c.expected);
  }
}

TEST(ProgramDirectory, NeverCutsADoubleByteCharacter) {
  // "\x95\x5C" is one Shift-JIS character whose second byte is a backslash.
  const std::string path = "D:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.EXE";
  fake::FakeMachine machine;
  machine.system.SetCodePage(932);
  EXPECT_EQ(DeriveProgramDirectory(machine.platform(), path), "D:\\\x83\x5C\x83\x74\x83\x67\\");

  // Read byte by byte, the same path would be cut inside the last character.
  fake::FakeMachine western;
  EXPECT_EQ(DeriveProgramDirectory(western.platform(), path),
            "D:\\\x83\x5C\x83\x74\x83\x67\\\x95\\");
}

TEST(ProgramDirectory, AFolderEndingInADoubleByteCharacterStillGetsItsBackslash) {
  // The folder "\x83\x5C\x95\x5C" ends in a character whose second byte is 0x5C.
  fake::FakeMachine machine;
  machine.system.SetCodePage(932);
  EXPECT_EQ(DeriveProgramDirectory(machine.platform(), "D:\\\x83\x5C\x95\x5C\\W2KSetup.exe"),
            "D:\\\x83\x5C\x95\x5C\\");
}

TEST(ProgramDirectory, ADoubleByteFirstCharacterIsNeitherADriveNorABackslash) {
  // Started as "\x83\x5C\x95\x5C\W2KSetup.exe": a folder relative to the current
  // one whose first character's trail byte is 0x5C.
  const std::string path = "\x83\x5C\x95\x5C\\W2KSetup.exe";
  fake::FakeMachine machine;
  machine.system.SetCodePage(932);
  machine.files.AddFolder("D:\\WORK");
  ASSERT_TRUE(machine.files.SetCurrentDirectory("D:\\WORK"));
  EXPECT_EQ(DeriveProgramDirectory(machine.platform(), path), "D:\x83\x5C\x95\x5C\\");
  // A trail byte 0x3A would read as a drive's colon just the same.
  EXPECT_EQ(DeriveProgramDirectory(machine.platform(), "\x83:\\W2KSetup.exe"), "D:\x83:\\");

  // Read byte by byte, the second byte is a backslash, and so is the last.
  fake::FakeMachine western;
  western.files.AddFolder("D:\\WORK");
  ASSERT_TRUE(western.files.SetCurrentDirectory("D:\\WORK"));
  EXPECT_EQ(DeriveProgramDirectory(western.platform(), path), "D:\\\x83\x5C\x95\x5C");
}

TEST(ProgramDirectory, AFolderLongerThanMaxPathGivesNoDirectoryRatherThanAnother) {
  const std::string fits = "D:\\" + std::string(255, 'F');  // 258 characters, 259 with "\\"
  const std::string tooLong = fits + "G";
  fake::FakeMachine machine;
  EXPECT_EQ(DeriveProgramDirectory(machine.platform(), fits + "\\W2KSetup.exe"), fits + "\\");
  // Cut to MAX_PATH first, the path would give its parent folder D:\.
  EXPECT_EQ(DeriveProgramDirectory(machine.platform(), tooLong + "\\W2KSetup.exe"), "");
  EXPECT_EQ(DeriveProgramDirectory(machine.platform(), "D:\\SHORT\\" + std::string(300, 'N')),
            "D:\\SHORT\\");

  // A bare program name started from a current directory of that length.
  machine.files.AddFolder(tooLong);
  ASSERT_TRUE(machine.files.SetCurrentDirectory(tooLong));
  EXPECT_EQ(DeriveProgramDirectory(machine.platform(), "W2KSetup.exe"), "");
}

TEST(ProgramDirectory, ComesFromTheFirstArgumentOfTheCommandLine) {
  fake::FakeMachine machine;
  machine.processes.SetCommandLine("\"D:\\My Disc\\W2KSetup.exe\" /AP");
  EXPECT_EQ(ProgramDirectory(machine.platform()), "D:\\My Disc\\");
  machine.processes.SetCommandLine("D:\\DISC\\W2KSetup.exe -ReplaceMixer");
  EXPECT_EQ(ProgramDirectory(machine.platform()), "D:\\DISC\\");
}

}  // namespace
