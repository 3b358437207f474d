#include "app/SetupApp.h"

#include "app/AudioDefaults.h"
#include "app/CommandSwitches.h"
#include "app/MixerReplacement.h"
#include "app/ProgramDirectory.h"
#include "app/RunKey.h"
#include "driver/InstallDriverPackage.h"
#include "platform/Helpers.h"
#include "platform/WinApi.h"
#include "suite/SuiteClosing.h"
#include "suite/SuiteLaunch.h"
#include "suite/SuiteTexts.h"
#include "ui/SetupDlg.h"
#include "ui/WdmOptionsDlg.h"

CSetupApp::CSetupApp(platform::Platform& platform) : CWinApp(platform) {}

bool IsWindows2000OrLater(const platform::OsVersion& version) {
  return version.platformId == VER_PLATFORM_WIN32_NT && version.majorVersion >= 5;
}

BOOL CSetupApp::InitInstance() {
  platform::UpperCaseInPlace(m_platform.system, m_lpCmdLine);
  const std::string commandLine = m_lpCmdLine;

  if (IsReplaceMixerSwitch(commandLine) && RunMixerReplacement(m_platform)) return 0;

  SetDefaultSoundFormat(m_platform);
  DeleteSuiteRunValue();
  const std::string programDirectory = ProgramDirectory(m_platform);
  const std::string setupIni = programDirectory + "setup.ini";
  const InstallOptions options = ReadInstallOptions(m_platform.profiles, setupIni);
  WriteCdPlayerProfile(m_platform, setupIni);
  m_bWin2000 = IsWindows2000OrLater(m_platform.system.GetVersion()) ? 1 : 0;

  const StartPath path = ChooseStartPath(m_bWin2000 != 0, options, commandLine);
  if (path != StartPath::ForwardToDiscSetup && path != StartPath::SuiteOnly &&
      path != StartPath::DriverOnly) {
    Enable3dControlsStatic();
  }
  switch (path) {
    case StartPath::ForwardToDiscSetup:
      ForwardToDiscSetup(m_platform.processes, programDirectory, commandLine, options.driverOnly);
      break;
    case StartPath::SuiteOnly:
      RunSuiteOnly(programDirectory);
      break;
    case StartPath::DriverOnly:
      InstallDriverPackage(m_platform, kDriverOnlyRun, programDirectory, nullptr);
      break;
    case StartPath::WebPackageDriver:
      InstallDriverPackage(m_platform, kWebPackageRun, programDirectory, nullptr);
      break;
    case StartPath::MainDialog:
      RunAsMainWindow<CSetupDlg>();
      break;
    case StartPath::WdmOptionsDialog:
      RunAsMainWindow<CWdmOptionsDlg>();
      break;
    case StartPath::Nothing:
      break;
  }
  return 0;
}

// Runs a dialog modally as the application's main window.
template <typename Dialog>
void CSetupApp::RunAsMainWindow() {
  Dialog dialog(m_platform);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
}

// A suite setup that ran earlier may have left itself to start at logon.
void CSetupApp::DeleteSuiteRunValue() {
  platform::RegKey key = 0;
  if (m_platform.registry.OpenKey(platform::Hive::LocalMachine, run_key::kPath, KEY_ALL_ACCESS,
                                  &key) != ERROR_SUCCESS) {
    return;
  }
  m_platform.registry.DeleteValue(key, run_key::kSuite);
  m_platform.registry.CloseKey(key);
}

// Closes the suite, uninstalls the previous one and starts the suite's setup;
// the process then ends with exit code 0.
void CSetupApp::RunSuiteOnly(const std::string& programDirectory) {
  CloseSuitePrograms(m_platform, false);
  UninstallPreviousSuite(m_platform);
  const std::string launchPath = SuiteSetupLaunchPath(m_platform.files, programDirectory);
  if (platform::FileIsPresent(m_platform.files, launchPath)) {
    LaunchSuiteSetup(m_platform.processes, launchPath);
  } else {
    m_platform.desktop.MessageBox(0, suite::kSuiteSetupMissing, suite::kMessageCaption, MB_OK);
  }
  m_platform.processes.Exit(0);
}
