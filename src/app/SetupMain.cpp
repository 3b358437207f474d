#include "app/SetupMain.h"

#include <vector>

#include "app/CommandSwitches.h"
#include "app/SetupApp.h"
#include "common/CommandLine.h"
#include "common/MultibyteText.h"

int RunSetupProgram(platform::Platform& platform, RunNote note) {
  CSetupApp app(platform, std::move(note));
  return app.Run();
}

std::string LogFileSwitch(platform::System& system, const std::string& processCommandLine) {
  const std::string commandLine = CommandLineAfterProgramName(processCommandLine);
  std::vector<char> upper(commandLine.begin(), commandLine.end());
  upper.push_back('\0');
  UpperCaseInPlace(system, upper.data());
  const RunSwitches switches = ReadRunSwitches(commandLine, upper.data());
  return switches.kind == RunSwitches::Kind::Unattended ? switches.logFile : std::string();
}
