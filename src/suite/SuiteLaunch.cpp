#include "suite/SuiteLaunch.h"

#include "common/Paths.h"
#include "common/SharedNames.h"
#include "platform/WinApi.h"
#include "suite/SuiteTexts.h"

std::string EnterSuiteFolderAndGetSetupPath(platform::FileSystem& files,
                                            const std::string& programDirectory) {
  if (files.SetCurrentDirectory(programDirectory + "W2K-ME\\")) {
    return programDirectory + "W2K-ME\\app\\Setup.exe";
  }
  return programDirectory + "WIN_ME\\app\\Setup.exe";
}

void WriteHandOverFile(platform::Platform& platform, const HandOver& handOver) {
  std::string file = WindowsDirectoryWithBackslash(platform) + "QXISETUP.INI";
  platform.profiles.WriteString("Need_To_Reboot", "Install", "NO", file);
  platform.profiles.WriteString("Need_To_InstallDriver", "Install",
                                handOver.installDriver ? "YES" : "NO", file);
  platform.profiles.WriteString("Need_To_InstallDriver", "Command",
                                handOver.installDriver ? handOver.command : "", file);
}

void LaunchSuiteSetup(platform::Processes& processes, const std::string& path) {
  platform::StartedProcess started;
  processes.CreateProcess(PathInQuotes(path), SW_SHOW, &started);
}

bool StartSuiteSetup(platform::Platform& platform, const std::string& programDirectory,
                     platform::Hwnd messageOwner, const HandOver* handOver) {
  const std::string launchPath = EnterSuiteFolderAndGetSetupPath(platform.files, programDirectory);
  if (!FileIsPresent(platform.files, launchPath)) {
    platform.desktop.MessageBox(messageOwner, suite::kSuiteSetupMissing, shared::kMessageCaption,
                                MB_OK);
    return false;
  }
  if (handOver) WriteHandOverFile(platform, *handOver);
  LaunchSuiteSetup(platform.processes, launchPath);
  return true;
}
