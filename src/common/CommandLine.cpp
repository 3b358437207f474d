#include "common/CommandLine.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Index just past the program name.
size_t EndOfProgramName(const std::string& line) {
  size_t i = 0;
  if (!line.empty() && line[0] == '"') {
    i = line.find('"', 1);
    return i == std::string::npos ? line.size() : i + 1;
  }
  while (i < line.size() && !IsBlank(line[i])) ++i;
  return i;
}

}  // namespace

std::string ProgramPathArgument(const std::string& commandLine) {
  std::string name = commandLine.substr(0, EndOfProgramName(commandLine));
  std::string result;
  for (char c : name) {
    if (c != '"') result += c;
  }
  return result;
}

std::string CommandLineAfterProgramName(const std::string& commandLine) {
  size_t i = EndOfProgramName(commandLine);
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  return commandLine.substr(i);
}
