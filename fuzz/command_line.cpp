// Fuzz target: the command line taken apart, upper-cased in place and read
// through the switch table, in code page 1252 and in code page 932.
//
// Input: the first byte holds the code page (bit 0 set: 932), DriverOnly
// (bit 1), WebSetup (bits 2 and 3: 0, 1, 2 or 0xFFFFFFFF), InstallWDMDriver
// (bit 4) and whether the system is Windows 2000 or later (bit 5); the rest,
// up to a zero byte, is the whole command line. The upper-casing must change
// only single-byte ASCII letters, never a byte of a double-byte character;
// the start path, the logon switch and the command passed to the disc's
// general setup must agree with the table read here without upper-casing;
// the reading of extended lines leaves the table's lines alone.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/CommandSwitches.h"
#include "app/DiscSetupForwarding.h"
#include "app/StartPath.h"
#include "common/CommandLine.h"
#include "common/MultibyteText.h"
#include "fake/FakeMachine.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal but for the letter case of ASCII letters.
bool EqualsIgnoringCase(const std::string& text, const std::string& lowerWord) {
  if (text.size() != lowerWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (LowerAscii(text[i]) != lowerWord[i]) return false;
  }
  return true;
}

bool IsAnyOf(const std::string& text, std::initializer_list<const char*> words) {
  for (const char* word : words) {
    if (EqualsIgnoringCase(text, word)) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool doubleByte = data[0] & 0x01;
  InstallOptions options;
  options.driverOnly = (data[0] >> 1) & 0x01;
  const uint32_t kWebSetups[] = {0, 1, 2, 0xFFFFFFFF};
  options.webSetup = kWebSetups[(data[0] >> 2) & 0x03];
  options.installWdmDriver = (data[0] >> 4) & 0x01;
  const bool windows2000 = data[0] & 0x20;
  std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);
  line = line.substr(0, line.find('\0'));

  fake::FakeMachine machine;
  machine.system.SetCodePage(doubleByte ? 932 : 1252);
  machine.files.AddFile("D:\\DISC\\Setup.exe", "general setup");

  // The program name: up to the closing quote, or up to the first blank.
  size_t nameEnd = 0;
  std::string name;
  if (!line.empty() && line[0] == '"') {
    const size_t quote = line.find('"', 1);
    nameEnd = quote == std::string::npos ? line.size() : quote + 1;
    name = line.substr(1, (quote == std::string::npos ? line.size() : quote) - 1);
  } else {
    while (nameEnd < line.size() && !IsBlank(line[nameEnd])) ++nameEnd;
    for (char c : line.substr(0, nameEnd)) {
      if (c != '"') name += c;  // quotes are no part of a file name
    }
  }
  size_t tailStart = nameEnd;
  while (tailStart < line.size() && IsBlank(line[tailStart])) ++tailStart;
  const std::string tail = line.substr(tailStart);
  fuzz::Require(ProgramPathArgument(line) == name, "program path differs");
  fuzz::Require(CommandLineAfterProgramName(line) == tail, "text after the program differs");

  // Upper-cased in place in a buffer of exactly its size, as the framework keeps it.
  std::vector<char> buffer(tail.begin(), tail.end());
  buffer.push_back('\0');
  UpperCaseInPlace(machine.system, buffer.data());
  fuzz::Require(buffer.back() == '\0', "the terminating zero changed");
  const std::string upper(buffer.data(), tail.size());
  const std::vector<size_t> starts = fuzz::CharacterStarts(tail, doubleByte);
  for (size_t k = 0; k < starts.size(); ++k) {
    const size_t start = starts[k];
    const size_t end = k + 1 < starts.size() ? starts[k + 1] : tail.size();
    if (end - start == 2) {
      fuzz::Require(upper.compare(start, 2, tail, start, 2) == 0, "a double-byte character changed",
                    start);
      continue;
    }
    const char c = tail[start];
    const char expected = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    fuzz::Require(upper[start] == expected, "a single byte was upper-cased wrongly", start);
  }

  const bool apSwitch = IsAnyOf(tail, {"/ap", "ap", "-ap"});
  const bool driverSwitch = IsAnyOf(tail, {"/driver", "driver", "-driver"});
  fuzz::Require(IsReplaceMixerSwitch(upper) == EqualsIgnoringCase(tail, "-replacemixer"),
                "the logon switch differs");
  fuzz::Require(IsApplicationsSwitch(upper) == apSwitch, "the applications switch differs");
  fuzz::Require(IsDriverSwitch(upper) == driverSwitch, "the driver switch differs");

  // The extended reading never takes a line from the switch table, and an
  // extended line always asks for a removal, a quiet run, no restart or a log.
  const RunSwitches switches = ReadRunSwitches(tail, upper);
  const bool tableLine = apSwitch || driverSwitch || EqualsIgnoringCase(tail, "-replacemixer");
  fuzz::Require((switches.kind == RunSwitches::Kind::Table) == tableLine,
                "the extended reading took a table line, or missed one");
  if (switches.kind == RunSwitches::Kind::Unattended) {
    fuzz::Require(switches.uninstall || switches.quiet || switches.noRestart ||
                      !switches.logFile.empty(),
                  "an extended line without removal, quiet, no restart or log");
    fuzz::Require(!(switches.uninstall && switches.driver), "a line that installs and removes");
    fuzz::Require(!switches.quiet || switches.noRestart, "a quiet run that may restart");
  }
  fuzz::Require(switches.kind != RunSwitches::Kind::QuietRejected || switches.quiet,
                "a refused line that did not ask for quiet");

  StartPath expected;
  if (!windows2000) {
    expected = StartPath::ForwardToDiscSetup;
  } else if (options.webSetup == 0) {
    expected = apSwitch                                  ? StartPath::SuiteOnly
               : driverSwitch || options.driverOnly != 0 ? StartPath::DriverOnly
                                                         : StartPath::MainDialog;
  } else if (options.webSetup == 1) {
    expected = options.installWdmDriver != 0 ? StartPath::WdmOptionsDialog : StartPath::Nothing;
  } else {
    expected = StartPath::WebPackageDriver;
  }
  fuzz::Require(ChooseStartPath(windows2000, options, upper) == expected, "the start path differs");

  ForwardToDiscSetup(machine.processes, "D:\\DISC\\", upper, options.driverOnly);
  const std::string command = std::string("\"D:\\DISC\\Setup.exe\"") +
                              (apSwitch                                  ? " /AP"
                               : driverSwitch || options.driverOnly != 0 ? " /DRIVER"
                                                                         : "");
  fuzz::Require(machine.processes.Started().size() == 1 &&
                    machine.processes.Started()[0].commandLine == command,
                "the command of the general setup differs");
  return 0;
}
