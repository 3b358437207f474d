#include "app/SetupApp.h"

#include "app/AudioDefaults.h"
#include "app/CommandSwitches.h"
#include "app/DiscSetupForwarding.h"
#include "app/MixerReplacement.h"
#include "common/ExitCodes.h"
#include "common/MultibyteText.h"
#include "common/Paths.h"
#include "common/ProgramDirectory.h"
#include "common/SharedNames.h"
#include "driver/InstallDriverPackage.h"
#include "platform/WinApi.h"
#include "res/resource.h"
#include "suite/SuiteClosing.h"
#include "suite/SuiteOnlyInstall.h"
#include "ui/RestartDlg.h"
#include "ui/SetupDlg.h"
#include "ui/WdmOptionsDlg.h"

CSetupApp::CSetupApp(platform::Platform& platform) : CWinApp(platform) {}

bool IsWindows2000OrLater(const platform::OsVersion& version) {
  return version.platformId == VER_PLATFORM_WIN32_NT && version.majorVersion >= 5;
}

BOOL CSetupApp::InitInstance() {
  UpperCaseInPlace(m_platform.system, m_lpCmdLine);
  const std::string commandLine = m_lpCmdLine;

  if (IsReplaceMixerSwitch(commandLine)) {
    if (std::optional<int> exitCode = RunMixerReplacement(m_platform)) {
      m_nExitCode = *exitCode;
      return 0;
    }
  }

  if (AnotherSetupIsRunning()) {
    m_platform.desktop.MessageBox(0, m_platform.desktop.LoadString(IDS_SETUP_ALREADY_RUNNING),
                                  shared::kMessageCaption, MB_OK | MB_ICONINFORMATION);
    m_nExitCode = exit_code::kAlreadyRunning;
    return 0;
  }

  SetDefaultSoundFormat(m_platform);
  DeleteSuiteLogonEntry(m_platform.registry);
  const std::string programDirectory = ProgramDirectory(m_platform);
  std::string setupIni;
  if (programDirectory.empty() || !JoinPath(programDirectory, "setup.ini", &setupIni)) {
    // Not even the options file can be named: the disc's files are out of reach.
    m_platform.desktop.MessageBox(0, m_platform.desktop.LoadString(IDS_FOLDER_PATH_TOO_LONG),
                                  shared::kMessageCaption, MB_OK | MB_ICONERROR);
    m_nExitCode = exit_code::kPathTooLong;
    return 0;
  }
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
      m_nExitCode = exit_code::OfDiscSetupStart(ForwardToDiscSetup(
          m_platform.processes, programDirectory, commandLine, options.driverOnly));
      break;
    case StartPath::SuiteOnly:
      InstallSuiteOnly(m_platform, programDirectory);
      // The process ends here, the suite setup runs on.
      m_platform.processes.Exit(exit_code::kSuccess);
      break;
    case StartPath::DriverOnly:
      m_nExitCode = InstallDriver(kDriverOnlyRun, programDirectory);
      break;
    case StartPath::WebPackageDriver:
      m_nExitCode = InstallDriver(kWebPackageRun, programDirectory);
      break;
    case StartPath::MainDialog: {
      CSetupDlg dialog(*this);
      m_nExitCode = RunMainDialog(dialog);
      break;
    }
    case StartPath::WdmOptionsDialog: {
      CWdmOptionsDlg dialog(m_platform);
      m_nExitCode = RunMainDialog(dialog);
      break;
    }
    case StartPath::Nothing:
      break;
  }
  return 0;
}

int CSetupApp::ExitInstance() { return m_nExitCode; }

// The mutex is held until the process ends. One that cannot be created at all
// does not stop the run: it only guards against a second copy.
bool CSetupApp::AnotherSetupIsRunning() {
  const platform::MutexHandle mutex =
      m_platform.processes.CreateNamedMutex(shared::kOneSetupAtATimeMutex);
  return mutex != 0 && m_platform.system.GetLastError() == ERROR_ALREADY_EXISTS;
}

// Runs the dialog that is the run's only window.
template <typename Dialog>
int CSetupApp::RunMainDialog(Dialog& dialog) {
  const intptr_t result = dialog.DoModal();
  // A dialog that could not be shown did none of its work.
  if (result == -1) return exit_code::kInstallFailure;
  return result == IDCANCEL ? exit_code::kUserCancelled : dialog.ExitCode();
}

// The driver installations of the start routine have no window of their own.
int CSetupApp::InstallDriver(const DriverInstallOptions& options,
                             const std::string& programDirectory) {
  CRestartDlg restartPrompt(m_platform);
  return InstallDriverPackage(m_platform, options, programDirectory, 0, restartPrompt);
}
