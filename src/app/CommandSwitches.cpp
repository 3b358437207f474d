#include "app/CommandSwitches.h"

#include <initializer_list>
#include <vector>

#include "common/CommandLine.h"
#include "common/MultibyteText.h"

bool IsReplaceMixerSwitch(const std::string& upperCommandLine) {
  return upperCommandLine == "-REPLACEMIXER";
}

bool IsApplicationsSwitch(const std::string& upperCommandLine) {
  return upperCommandLine == "/AP" || upperCommandLine == "AP" || upperCommandLine == "-AP";
}

bool IsDriverSwitch(const std::string& upperCommandLine) {
  return upperCommandLine == "/DRIVER" || upperCommandLine == "DRIVER" ||
         upperCommandLine == "-DRIVER";
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Blanks separate tokens except inside double quotes; the quotes themselves
// are dropped, so "/LOG="C:\a b.txt"" is one token.
std::vector<std::string> SplitTokens(const std::string& line) {
  std::vector<std::string> tokens;
  std::string token;
  bool inToken = false;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inToken = true;
    } else if (IsBlank(c) && !quoted) {
      if (inToken) tokens.push_back(token);
      token.clear();
      inToken = false;
    } else {
      token += c;
      inToken = true;
    }
  }
  if (inToken) tokens.push_back(token);
  return tokens;
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool IsOneOf(const std::string& upperToken, std::initializer_list<const char*> words) {
  for (const char* word : words) {
    if (upperToken == word) return true;
  }
  return false;
}

// The file of "/LOG=<file>" or "-LOG=<file>"; false for any other token and
// for an empty file name.
bool ReadLogToken(const std::string& token, std::string* file) {
  const std::string upper = UpperAscii(token.substr(0, 5));
  if ((upper != "/LOG=" && upper != "-LOG=") || token.size() == 5) return false;
  *file = token.substr(5);
  return true;
}

}  // namespace

RunSwitches ReadRunSwitches(const std::string& commandLine, const std::string& upperCommandLine) {
  RunSwitches switches;
  if (IsReplaceMixerSwitch(upperCommandLine) || IsApplicationsSwitch(upperCommandLine) ||
      IsDriverSwitch(upperCommandLine)) {
    switches.kind = RunSwitches::Kind::Table;
    return switches;
  }
  const std::vector<std::string> tokens = SplitTokens(commandLine);
  if (tokens.size() == 1 && IsOneOf(UpperAscii(tokens[0]), {"/?", "-?", "/HELP"})) {
    switches.kind = RunSwitches::Kind::Help;
    return switches;
  }
  bool unknownToken = false;
  bool logGiven = false;
  for (const std::string& token : tokens) {
    const std::string upper = UpperAscii(token);
    if (IsOneOf(upper, {"/QUIET", "-QUIET", "/Q", "-Q", "/S", "-S"})) {
      switches.quiet = true;
    } else if (IsOneOf(upper, {"/NORESTART", "-NORESTART"})) {
      switches.noRestart = true;
    } else if (IsOneOf(upper, {"/DRIVER", "DRIVER", "-DRIVER"})) {
      switches.driver = true;
    } else if (IsOneOf(upper, {"/UNINSTALL", "-UNINSTALL"})) {
      switches.uninstall = true;
    } else if (ReadLogToken(token, &switches.logFile)) {
      logGiven = true;
    } else {
      unknownToken = true;
    }
  }
  // Installing and removing at once is not a line this program knows.
  if (switches.uninstall && switches.driver) unknownToken = true;
  if (switches.quiet && unknownToken) {
    switches.kind = RunSwitches::Kind::QuietRejected;
  } else if (!unknownToken &&
             (switches.uninstall || switches.quiet || switches.noRestart || logGiven)) {
    switches.kind = RunSwitches::Kind::Unattended;
    switches.noRestart = switches.noRestart || switches.quiet;
    return switches;
  }
  // Not an extended line: none of its tokens counts.
  const bool quiet = switches.kind == RunSwitches::Kind::QuietRejected;
  switches = RunSwitches{};
  switches.kind = quiet ? RunSwitches::Kind::QuietRejected : RunSwitches::Kind::Other;
  switches.quiet = quiet;
  return switches;
}

RunSwitches ReadCommandLine(platform::System& system, const std::string& processCommandLine) {
  const std::string commandLine = CommandLineAfterProgramName(processCommandLine);
  std::vector<char> upper(commandLine.begin(), commandLine.end());
  upper.push_back('\0');
  UpperCaseInPlace(system, upper.data());
  RunSwitches switches = ReadRunSwitches(commandLine, upper.data());
  switches.commandLine = commandLine;
  switches.upperCommandLine = upper.data();
  return switches;
}
