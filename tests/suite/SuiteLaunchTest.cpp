// Finding and starting the suite's setup, and the hand-over file.
#include <gtest/gtest.h>

#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "suite/SuiteLaunch.h"

namespace {

TEST(EnterSuiteFolderAndGetSetupPath, TheW2kMeFolderDecidesTheLayoutAndBecomesCurrent) {
  fake::FakeMachine machine;
  machine.files.AddFolder("D:\\DISC\\W2K-ME");
  machine.files.AddFile("D:\\DISC\\WIN_ME\\app\\Setup.exe", "");
  EXPECT_EQ(EnterSuiteFolderAndGetSetupPath(machine.files, "D:\\DISC\\"),
            "D:\\DISC\\W2K-ME\\app\\Setup.exe");
  EXPECT_EQ(machine.files.GetCurrentDirectory(), "D:\\DISC\\W2K-ME");

  fake::FakeMachine other;
  other.files.AddFile("D:\\DISC\\WIN_ME\\app\\Setup.exe", "");
  EXPECT_EQ(EnterSuiteFolderAndGetSetupPath(other.files, "D:\\DISC\\"),
            "D:\\DISC\\WIN_ME\\app\\Setup.exe");
  EXPECT_EQ(other.files.GetCurrentDirectory(), "C:\\");
}

TEST(WriteHandOverFile, WritesTheThreeEntriesAndKeepsTheRest) {
  fake::FakeMachine machine;
  const std::string file = "C:\\WINDOWS\\QXISETUP.INI";
  machine.files.AddFile(file, "[Other]\r\nKept=1\r\n[Need_To_Reboot]\r\nInstall=YES\r\n");

  WriteHandOverFile(machine.platform(), {true, "D:\\My Disc\\Setup.exe"});
  EXPECT_EQ(machine.profiles.Get("Need_To_Reboot", "Install", file), "NO");
  EXPECT_EQ(machine.profiles.Get("Need_To_InstallDriver", "Install", file), "YES");
  EXPECT_EQ(machine.profiles.Get("Need_To_InstallDriver", "Command", file),
            "D:\\My Disc\\Setup.exe");
  EXPECT_EQ(machine.profiles.Get("Other", "Kept", file), "1");
  EXPECT_EQ(machine.journal.StartingWith("profile ").size(), 3u);

  WriteHandOverFile(machine.platform(), {false, "D:\\My Disc\\Setup.exe"});
  EXPECT_EQ(machine.profiles.Get("Need_To_InstallDriver", "Install", file), "NO");
  EXPECT_TRUE(machine.profiles.Has("Need_To_InstallDriver", "Command", file));
  EXPECT_EQ(machine.profiles.Get("Need_To_InstallDriver", "Command", file), "");
}

TEST(WriteHandOverFile, IsCreatedInTheWindowsDirectory) {
  fake::FakeMachine machine;
  machine.files.SetWindowsDirectoryText("E:\\WINNT");
  machine.files.AddFolder("E:\\WINNT");
  WriteHandOverFile(machine.platform(), {false, ""});
  EXPECT_EQ(machine.files.Contents("E:\\WINNT\\QXISETUP.INI"),
            "[Need_To_Reboot]\r\nInstall=NO\r\n[Need_To_InstallDriver]\r\nInstall=NO\r\n"
            "Command=\r\n");
}

TEST(LaunchSuiteSetup, StartsTheQuotedPathShownWithoutArguments) {
  fake::FakeMachine machine;
  machine.files.AddFile("D:\\My Disc\\W2K-ME\\app\\Setup.exe", "");
  machine.files.AddFile("D:\\My.exe", "intruder");
  LaunchSuiteSetup(machine.processes, "D:\\My Disc\\W2K-ME\\app\\Setup.exe");
  ASSERT_EQ(machine.processes.Started().size(), 1u);
  EXPECT_EQ(machine.processes.Started()[0].program, "D:\\My Disc\\W2K-ME\\app\\Setup.exe");
  EXPECT_EQ(machine.processes.Started()[0].showWindow, SW_SHOW);
  EXPECT_FALSE(machine.processes.Started()[0].viaWinExec);
}

}  // namespace
