// Where the program is started from: network paths, double-byte folder
// names, another current drive, and folders too long to name the disc's files.
#include <gtest/gtest.h>

#include <string>

#include "app/CommandLineOf.h"
#include "app/SetupApp.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

constexpr const char* kTooLongText =
    "Setup cannot run from this folder, as its path is too long. Copy the disc to a folder "
    "with a shorter path and start Setup from there.";

int RunProgram(fake::FakeMachine& machine, const std::string& commandLine,
               const platform::OsVersion& version) {
  machine.system.SetVersion(version);
  machine.processes.SetCommandLine(commandLine);
  CSetupApp app(machine.platform(), CommandLineOf(machine));
  return app.Run();
}

struct FolderCase {
  const char* name;
  const char* commandLine;
  const char* currentDirectory;
  int codePage;
  const char* folder;  // where the disc's files lie, ending in a backslash
};

void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.name; }

class StartFolderTest : public ::testing::TestWithParam<FolderCase> {};

// On Windows 98 the run hands over to the disc's general setup beside the
// program, which shows the folder the program found.
TEST_P(StartFolderTest, TheDiscFilesAreFoundBesideTheProgram) {
  const FolderCase& c = GetParam();
  fake::FakeMachine machine;
  machine.system.SetCodePage(c.codePage);
  machine.files.AddFolder(c.currentDirectory);
  ASSERT_TRUE(machine.files.SetCurrentDirectory(c.currentDirectory));
  const std::string folder = c.folder;
  machine.files.AddFile(folder + "W2KSetup.exe", "program");
  machine.files.AddFile(folder + "Setup.exe", "general setup");
  machine.files.AddFile(folder + "setup.ini", "[Default]\r\nUsingCDDA=1\r\n");

  EXPECT_EQ(RunProgram(machine, c.commandLine, fake::versions::kWindows98), 0);

  ASSERT_EQ(machine.processes.Started().size(), 1u);
  EXPECT_EQ(machine.processes.Started()[0].commandLine, "\"" + folder + "Setup.exe\" /AP");
  EXPECT_EQ(machine.profiles.Get("CD PLAYER", "UsingCDDA", "C:\\WINDOWS\\QXCDPLAY.INI"), "1");
  EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, StartFolderTest,
    ::testing::Values(
        FolderCase{"network_path", "\\\\server\\share\\disc\\W2KSetup.exe /ap", "C:\\WINDOWS", 1252,
                   "\\\\server\\share\\disc\\"},
        // "\x83\x5C\x95\x5C": two Shift-JIS characters, each with the trail byte 0x5C.
        FolderCase{"double_byte_name_ending_in_5c", "D:\\\x83\x5C\x95\x5C\\W2KSetup.exe /ap",
                   "C:\\", 932, "D:\\\x83\x5C\x95\x5C\\"},
        FolderCase{"double_byte_name_with_5c_inside",
                   "\"D:\\\x83\x5C\x83\x67 disc\\W2KSetup.exe\" /ap", "C:\\", 932,
                   "D:\\\x83\x5C\x83\x67 disc\\"},
        FolderCase{"full_path_other_current_drive", "D:\\DISC\\W2KSetup.exe /ap", "C:\\WINDOWS",
                   1252, "D:\\DISC\\"},
        FolderCase{"no_drive_takes_the_current_drive", "\\DISC\\W2KSetup.exe /ap", "E:\\TEMP", 1252,
                   "E:\\DISC\\"},
        FolderCase{"bare_name_takes_the_current_directory", "W2KSetup.exe /ap", "E:\\DISC", 1252,
                   "E:\\DISC\\"}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

// The longest folder that works: its "setup.ini" path has 259 characters.
const std::string kLongestFolder = "D:\\" + std::string(246, 'L');

TEST(StartFolder, AFolderWhoseOptionsFilePathFitsMaxPathRuns) {
  fake::FakeMachine machine;
  machine.files.AddFile(kLongestFolder + "\\setup.ini",
                        "[InstallOption]\r\nWebSetup=1\r\n[Default]\r\nUsingCDDA=1\r\n");
  ASSERT_EQ((kLongestFolder + "\\setup.ini").size(), static_cast<size_t>(MAX_PATH - 1));

  EXPECT_EQ(RunProgram(machine, kLongestFolder + "\\W2KSetup.exe", fake::versions::kWindowsXp), 0);

  // WebSetup=1 without InstallWDMDriver: nothing runs, but the options were read.
  EXPECT_EQ(machine.profiles.Get("CD PLAYER", "UsingCDDA", "C:\\WINDOWS\\QXCDPLAY.INI"), "1");
  EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
  EXPECT_TRUE(machine.desktop.DialogsRun().empty());
}

TEST(StartFolder, ALongerFolderIsRefusedWithAMessageInsteadOfReadingAnother) {
  const struct {
    const char* name;
    std::string folder;
  } cases[] = {
      {"one character more", kLongestFolder + "M"},
      {"folder itself over MAX_PATH",
       "D:\\" + std::string(120, 'A') + "\\" + std::string(200, 'B')},
  };
  for (const auto& c : cases) {
    for (const platform::OsVersion& version :
         {fake::versions::kWindows98, fake::versions::kWindowsXp}) {
      SCOPED_TRACE(std::string(c.name) +
                   (version.platformId == VER_PLATFORM_WIN32_NT ? " XP" : " 98"));
      fake::FakeMachine machine;
      machine.files.AddFile(c.folder + "\\Setup.exe", "general setup");
      machine.files.AddFile(c.folder + "\\setup.ini", "[Default]\r\nUsingCDDA=1\r\n");
      // What a path cut to MAX_PATH would have found instead.
      const std::string parent = c.folder.substr(0, c.folder.rfind('\\') + 1);
      machine.files.AddFile(parent + "Setup.exe", "another program");
      machine.files.AddFile(parent + "setup.ini", "[InstallOption]\r\nWebSetup=2\r\n");

      EXPECT_EQ(RunProgram(machine, c.folder + "\\W2KSetup.exe", version), 206);

      ASSERT_EQ(machine.desktop.MessageBoxes().size(), 1u);
      const fake::MessageBoxRecord& box = machine.desktop.MessageBoxes()[0];
      EXPECT_EQ(box.text, kTooLongText);
      EXPECT_EQ(box.caption, "Setup");
      EXPECT_EQ(box.owner, 0u);
      EXPECT_EQ(box.type, MB_OK | MB_ICONERROR);
      EXPECT_TRUE(machine.processes.Started().empty());
      EXPECT_TRUE(machine.desktop.DialogsRun().empty());
      EXPECT_EQ(machine.profiles.Reads(parent + "setup.ini"), 0);
      EXPECT_FALSE(machine.files.FileExists("C:\\WINDOWS\\QXCDPLAY.INI"));
    }
  }
}

}  // namespace
