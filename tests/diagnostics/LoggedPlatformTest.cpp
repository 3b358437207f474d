// The diagnostic log on the fake machine: a line for each step a support
// engineer looks for and none for the queries in between, the run's first and
// last lines, and a whole run that does with the log what it does without.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/CommandLineOf.h"
#include "app/SetupApp.h"
#include "common/SharedNames.h"
#include "diagnostics/LoggedPlatform.h"
#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "observation/CallLinePattern.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

using Machine = fake::FakeMachine;

constexpr uint32_t kWrittenOver = 0xBAD;  // the code a log write leaves behind

// Keeps the lines; each write changes the last-error code, as writing a file may.
class RecordingSink : public diagnostics::LogSink {
 public:
  explicit RecordingSink(platform::System& system) : m_system(system) {}
  void Write(const std::string& line) override {
    lines.push_back(line);
    m_system.SetLastError(kWrittenOver);
  }
  std::vector<std::string> lines;

 private:
  platform::System& m_system;
};

// Whether a log line is "<time, 10 wide> <expected>", where '#' in expected
// stands for a number (a handle, a count).
bool LineIs(const std::string& line, const std::string& expected) {
  const size_t time = line.find_first_not_of(' ');
  if (line.size() <= 11 || line[10] != ' ' || time == std::string::npos || time >= 10) return false;
  return line.find_first_not_of("0123456789", time) == 10 &&
         observation_test::MatchesCallLine(line.substr(11), expected);
}

std::vector<std::string> WithoutTimes(const std::vector<std::string>& lines) {
  std::vector<std::string> texts;
  for (const std::string& line : lines) texts.push_back(line.substr(11));
  return texts;
}

TEST(LoggedPlatform, WritesWhatChangesOrActsAndWhatWasMissingButNoQueries) {
  Machine machine;
  machine.files.AddFile("C:\\a.txt", "a");
  machine.desktop.AddTopLevelWindow("Mixer");
  machine.registry.SetString(platform::Hive::CurrentUser, "Software\\Test", "Name", "value");
  RecordingSink sink(machine.system);
  diagnostics::LoggedPlatform logged(machine.platform(), sink);
  platform::Platform& p = logged.platform();

  p.system.IsDBCSLeadByte(0x81);
  p.desktop.GetSystemMetrics(SM_CXICON);
  p.desktop.LoadString(IDS_ABOUTBOX);
  p.clock.Sleep(10);
  p.files.GetWindowsDirectory(MAX_PATH);
  p.desktop.ShowWindow(p.desktop.FindTopLevelWindow("Mixer"), SW_HIDE);
  p.files.OpenStream("C:\\a.txt", "rb");
  p.files.OpenStream("C:\\none.txt", "rb");
  p.files.CopyFile("C:\\a.txt", "C:\\b.txt", false);
  platform::RegKey key = 0;
  p.registry.OpenKey(platform::Hive::CurrentUser, "Software\\Test", KEY_QUERY_VALUE, &key);
  p.registry.CloseKey(key);

  EXPECT_EQ(WithoutTimes(sink.lines),
            (std::vector<std::string>{
                R"(FileSystem.OpenStream("C:\none.txt", "rb") -> null, error=2)",
                R"(FileSystem.CopyFile("C:\a.txt", "C:\b.txt", false) -> true)",
                R"(Registry.OpenKey(HKCU, "Software\Test", 1, )" + std::to_string(key) + ") -> 0",
            }));
  EXPECT_EQ(machine.lastError.code, ERROR_FILE_NOT_FOUND) << "the log's writes leave it alone";
}

TEST(LoggedPlatform, ExitWritesTheLastLineBeforeTheProcessEnds) {
  Machine machine;
  RecordingSink sink(machine.system);
  diagnostics::LoggedPlatform logged(machine.platform(), sink);
  machine.clock.Advance(1234);
  try {
    logged.platform().processes.Exit(3010);
    ADD_FAILURE() << "Exit returned";
  } catch (const fake::ProcessExit& exit) {
    EXPECT_EQ(exit.exitCode, 3010);
  }
  ASSERT_EQ(sink.lines.size(), 2u);
  EXPECT_EQ(sink.lines[0], "      1234 Processes.Exit(3010)");
  EXPECT_EQ(sink.lines[1], "      1234 W2KSetup end: exit code 3010");
}

struct WholeRun {
  int exitCode = 0;
  std::vector<std::string> journal;
  std::vector<uint32_t> sleeps;
  uint64_t now = 0;
  std::vector<std::string> log;
};

// A /DRIVER run from the disc on Windows XP with 60 ordinary devices besides
// the controller, answered "later"; with a log when logged is true. withInf
// false takes the INF off the disc.
WholeRun RunDriverSwitch(bool logged, bool withInf) {
  Machine m;
  driver_test::AddDisc(m);
  for (int i = 0; i < 60; ++i) {
    const std::string id = "PCI\\VEN_8086&DEV_" + std::to_string(1000 + i);
    m.devices.AddDevice({id + "\\3&11583659&0&" + std::to_string(i), {id}});
  }
  if (!withInf) {
    m.files.SetFileAttributes("D:\\W2K-ME\\drv\\QXAUDIO.INF", FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(m.files.DeleteFile("D:\\W2K-ME\\drv\\QXAUDIO.INF"));
  }
  // A refused hand-over offers no restart.
  driver_test::PrepareSystem(m);
  if (withInf) driver_test::AnswerRestartLater(m);
  m.processes.SetCommandLine("D:\\W2KSetup.exe /DRIVER");
  m.system.SetVersion(fake::versions::kWindowsXp);
  m.journal.Clear();
  RecordingSink sink(m.system);
  WholeRun run;
  if (logged) {
    diagnostics::LoggedPlatform log(m.platform(), sink);
    log.Start();
    CSetupApp app(log.platform(), CommandLineOf(m));
    run.exitCode = app.Run();
    log.End(run.exitCode);
  } else {
    CSetupApp app(m.platform(), CommandLineOf(m));
    run.exitCode = app.Run();
  }
  run.journal = m.journal.Lines();
  run.sleeps = m.clock.Sleeps();
  run.now = m.clock.Now();
  run.log = sink.lines;
  return run;
}

TEST(LoggedPlatform, AWholeRunDoesWhatItDoesWithoutTheLog) {
  for (bool withInf : {true, false}) {
    SCOPED_TRACE(withInf ? "INF on the disc" : "no INF on the disc");
    const WholeRun plain = RunDriverSwitch(false, withInf);
    const WholeRun logged = RunDriverSwitch(true, withInf);
    EXPECT_EQ(plain.exitCode, withInf ? 3010 : 2);
    EXPECT_EQ(logged.exitCode, plain.exitCode);
    EXPECT_EQ(logged.journal, plain.journal);
    EXPECT_EQ(logged.sleeps, plain.sleeps);
    EXPECT_EQ(logged.now, plain.now);
    EXPECT_TRUE(plain.log.empty());

    const std::vector<std::string>& log = logged.log;
    ASSERT_GT(log.size(), 20u);
    EXPECT_PRED2(LineIs, log.front(),
                 R"(W2KSetup 2.0 start: command line "D:\W2KSetup.exe /DRIVER", )"
                 R"(Windows 5.1.2600 platform 2, program directory "D:\")");
    EXPECT_PRED2(LineIs, log.back(), "W2KSetup end: exit code " + std::to_string(plain.exitCode));
    EXPECT_EQ(std::stoull(log.back().substr(0, 10)), plain.now) << "time is the machine's clock";
    for (size_t i = 1; i < log.size(); ++i) {
      EXPECT_LE(std::stoull(log[i - 1].substr(0, 10)), std::stoull(log[i].substr(0, 10))) << i;
    }
    const std::string handOver =
        R"(DeviceSetup.CopyOEMInf("C:\Program Files\Quarnex\WIN_ME\QXAUDIO.INF", )"
        R"("C:\Program Files\Quarnex\WIN_ME", 1, 1) -> )";
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [&](const std::string& line) {
                              return LineIs(line, handOver + (withInf ? "true" : "false, error=2"));
                            }),
              1);
    // Each line a step: a device scan or a path's bytes do not show.
    EXPECT_LE(log.size(), 150u);
    if (withInf) {
      EXPECT_EQ(std::count_if(log.begin(), log.end(),
                              [](const std::string& line) {
                                return line.find("new mixer device") != std::string::npos &&
                                       line.find("none came within 30 s") != std::string::npos;
                              }),
                1)
          << "the wait for the new mixer, and how it ended";
    }
    for (const char* query : {"IsDBCSLeadByte", "EnumDeviceInfo", "GetDeviceRegistryProperty"}) {
      EXPECT_EQ(std::count_if(
                    log.begin(), log.end(),
                    [&](const std::string& line) { return line.find(query) != std::string::npos; }),
                0)
          << query;
    }
  }
}

// A logon run whose mixer never shows: the hundred and one lookups are one line
// and a count, and a lookup that found nothing shows no error code (it sets none).
TEST(LoggedPlatform, RepeatedLinesAreWrittenOnceWithTheirCount) {
  Machine m;
  m.registry.SetString(platform::Hive::LocalMachine, driver_test::kRunKey, driver_test::kRunValue,
                       "C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer");
  m.files.AddFile("C:\\WINDOWS\\Mixer.dat", "new mixer");
  m.processes.SetCommandLine("C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer");
  m.lastError.code = 126;  // left by an earlier call (a module not found)
  RecordingSink sink(m.system);
  diagnostics::LoggedPlatform log(m.platform(), sink);
  CSetupApp app(log.platform(), CommandLineOf(m));
  EXPECT_EQ(app.Run(), 0);

  const std::vector<std::string> lines = WithoutTimes(sink.lines);
  const auto lookup =
      std::find(lines.begin(), lines.end(), R"(Desktop.FindTopLevelWindow("Mixer") -> 0)");
  ASSERT_NE(lookup, lines.end()) << ::testing::PrintToString(lines);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), *lookup), 1);
  ASSERT_NE(lookup + 1, lines.end());
  EXPECT_NE(lookup[1].find("101 times"), std::string::npos) << lookup[1];
}

TEST(LoggedPlatform, TheVersionIsTheVersionResources) {
  std::ifstream script(SOURCE_DIR "/src/res/app.rc");
  std::stringstream text;
  text << script.rdbuf();
  EXPECT_NE(text.str().find(std::string("VALUE \"FileVersion\", \"") +
                            shared::kProgramVersion + ".0.0\""),
            std::string::npos);
}

}  // namespace
