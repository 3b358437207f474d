// The command line against what it means: the switch table's lines as they
// always were, the extended lines of a run without a person, and the lines
// that are neither.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/CommandSwitches.h"
#include "common/MultibyteText.h"
#include "fake/FakeMachine.h"

namespace {

using Kind = RunSwitches::Kind;

struct Row {
  const char* commandLine;  // as given, after the program name
  Kind kind;
  bool quiet, noRestart, driver;
  const char* logFile;
  bool uninstall = false;
};

const Row kRows[] = {
    // The table's own lines keep their meaning, whatever the case.
    {"/DRIVER", Kind::Table, false, false, false, ""},
    {"-driver", Kind::Table, false, false, false, ""},
    {"/ap", Kind::Table, false, false, false, ""},
    {"-ReplaceMixer", Kind::Table, false, false, false, ""},
    // Extended lines: any order, any case, blanks and quotes.
    {"/DRIVER /QUIET", Kind::Unattended, true, true, true, ""},
    {"  -q   driver  ", Kind::Unattended, true, true, true, ""},
    {"/s", Kind::Unattended, true, true, false, ""},
    {"\"/QUIET\" -Driver", Kind::Unattended, true, true, true, ""},
    {"/NORESTART /DRIVER", Kind::Unattended, false, true, true, ""},
    {"-norestart", Kind::Unattended, false, true, false, ""},
    {"/DRIVER /LOG=C:\\Setup.log", Kind::Unattended, false, false, true, "C:\\Setup.log"},
    {"/q /log=\"C:\\My Logs\\a b.txt\"", Kind::Unattended, true, true, false,
     "C:\\My Logs\\a b.txt"},
    {"-LOG=\"D:\\x.log\" /q", Kind::Unattended, true, true, false, "D:\\x.log"},
    {"/Q /Q /DRIVER /DRIVER", Kind::Unattended, true, true, true, ""},
    // The removal, alone or with the switches of a run without a person.
    {"/UNINSTALL", Kind::Unattended, false, false, false, "", true},
    {"-uninstall /quiet /log=C:\\r.log", Kind::Unattended, true, true, false, "C:\\r.log", true},
    {"/UNINSTALL /NORESTART", Kind::Unattended, false, true, false, "", true},
    // Quiet with anything unknown: refused without a window.
    {"/QUIET /AP", Kind::QuietRejected, true, false, false, ""},
    {"/Q /DRIVER /X", Kind::QuietRejected, true, false, false, ""},
    {"/QUIET /?", Kind::QuietRejected, true, false, false, ""},
    {"/Q /LOG=", Kind::QuietRejected, true, false, false, ""},
    {"-ReplaceMixer /Q", Kind::QuietRejected, true, false, false, ""},
    {"/UNINSTALL /DRIVER /Q", Kind::QuietRejected, true, false, false, ""},
    // Help alone.
    {"/?", Kind::Help, false, false, false, ""},
    {"-?", Kind::Help, false, false, false, ""},
    {"/help", Kind::Help, false, false, false, ""},
    // Everything else runs as today, with no switch at all.
    {"", Kind::Other, false, false, false, ""},
    {"/DRIVER ", Kind::Other, false, false, false, ""},
    {"/AP /DRIVER", Kind::Other, false, false, false, ""},
    {"/DRIVER /DRIVER", Kind::Other, false, false, false, ""},
    {"/NORESTART /AP", Kind::Other, false, false, false, ""},
    {"/LOG=", Kind::Other, false, false, false, ""},
    {"/? /DRIVER", Kind::Other, false, false, false, ""},
    {"/QUIETLY", Kind::Other, false, false, false, ""},
    {"/QUIET/DRIVER", Kind::Other, false, false, false, ""},
    {"/UNINSTALL /DRIVER", Kind::Other, false, false, false, ""},
};

void PrintTo(const Row& row, std::ostream* out) { *out << '[' << row.commandLine << ']'; }

class CommandLineTable : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLineTable, MeansWhatTheRowSays) {
  const Row& row = GetParam();
  fake::FakeMachine machine;
  std::vector<char> upper(row.commandLine, row.commandLine + std::string(row.commandLine).size());
  upper.push_back('\0');
  UpperCaseInPlace(machine.system, upper.data());

  const RunSwitches switches = ReadRunSwitches(row.commandLine, upper.data());
  EXPECT_EQ(switches.kind, row.kind);
  EXPECT_EQ(switches.quiet, row.quiet);
  EXPECT_EQ(switches.noRestart, row.noRestart);
  EXPECT_EQ(switches.driver, row.driver);
  EXPECT_EQ(switches.logFile, row.logFile);
  EXPECT_EQ(switches.uninstall, row.uninstall);
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandLineTable, ::testing::ValuesIn(kRows));

}  // namespace
