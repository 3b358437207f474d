#include "suite/SuiteLaunch.h"

#include "app/CommandSwitches.h"
#include "platform/Helpers.h"
#include "platform/WinApi.h"

std::string SuiteSetupLaunchPath(platform::FileSystem& files, const std::string& programDirectory) {
  if (files.SetCurrentDirectory(programDirectory + "W2K-ME\\")) {
    return programDirectory + "W2K-ME\\app\\Setup.exe";
  }
  return programDirectory + "WIN_ME\\app\\Setup.exe";
}

void WriteHandOverFile(platform::Platform& platform, bool installDriver,
                       const std::string& command) {
  std::string file = platform::WindowsDirectoryWithBackslash(platform.files) + "QXISETUP.INI";
  platform.profiles.WriteString("Need_To_Reboot", "Install", "NO", file);
  platform.profiles.WriteString("Need_To_InstallDriver", "Install", installDriver ? "YES" : "NO",
                                file);
  platform.profiles.WriteString("Need_To_InstallDriver", "Command", installDriver ? command : "",
                                file);
}

void LaunchSuiteSetup(platform::Processes& processes, const std::string& path) {
  platform::StartedProcess started;
  processes.CreateProcess(platform::Quoted(path), SW_SHOW, &started);
}

void ForwardToDiscSetup(platform::Processes& processes, const std::string& programDirectory,
                        const std::string& upperCommandLine, uint32_t driverOnly) {
  std::string command = platform::Quoted(programDirectory + "Setup.exe");
  if (IsApplicationsSwitch(upperCommandLine)) {
    command += " /AP";
  } else if (IsDriverSwitch(upperCommandLine) || driverOnly != 0) {
    command += " /DRIVER";
  }
  processes.WinExec(command, SW_SHOW);
}
