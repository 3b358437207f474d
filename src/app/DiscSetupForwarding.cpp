#include "app/DiscSetupForwarding.h"

#include "app/CommandSwitches.h"
#include "common/Paths.h"
#include "platform/WinApi.h"

uint32_t ForwardToDiscSetup(platform::Processes& processes, const std::string& programDirectory,
                            const std::string& upperCommandLine, uint32_t driverOnly) {
  std::string command = PathInQuotes(programDirectory + "Setup.exe");
  if (IsApplicationsSwitch(upperCommandLine)) {
    command += " /AP";
  } else if (IsDriverSwitch(upperCommandLine) || driverOnly != 0) {
    command += " /DRIVER";
  }
  return processes.WinExec(command, SW_SHOW);
}
