#include "app/SetupApp.h"

#include "app/AudioDefaults.h"
#include "app/CommandSwitches.h"
#include "app/DiscSetupForwarding.h"
#include "app/MixerReplacement.h"
#include "common/ExitCodes.h"
#include "common/Paths.h"
#include "common/ProgramDirectory.h"
#include "common/SharedNames.h"
#include "common/WindowsVersion.h"
#include "driver/InfOptionPatch.h"
#include "driver/InstallDriverPackage.h"
#include "driver/RemoveDriverPackage.h"
#include "platform/WinApi.h"
#include "res/resource.h"
#include "suite/SuiteClosing.h"
#include "suite/SuiteOnlyInstall.h"
#include "ui/RestartDlg.h"
#include "ui/SetupDlg.h"
#include "ui/WdmOptionsDlg.h"

CSetupApp::CSetupApp(platform::Platform& platform, RunSwitches switches, RunNote note)
    : CWinApp(platform, switches.upperCommandLine),
      m_switches(std::move(switches)),
      m_note(std::move(note)) {}

namespace {

// The options dialog's choices as it opens, for a quiet run that installs
// as if "Install" had been pressed at once.
class StartChoicesPatcher final : public InfPatcher {
 public:
  explicit StartChoicesPatcher(platform::Platform& platform) : m_platform(platform) {}
  bool PatchInfOptions(const std::string& infPath) override {
    return driver::PatchInfOptionsFile(m_platform, infPath, CWdmOptionsDlg::StartChoices());
  }

 private:
  platform::Platform& m_platform;
};

// The switches and the exit codes, a line per text, in the user's language.
std::string CommandLineHelp(platform::Desktop& desktop) {
  std::string text;
  for (int id = IDS_HELP_SWITCHES; id <= IDS_HELP_EXIT_OTHER; ++id) {
    if (id == IDS_HELP_EXIT_CODES) text += "\n";
    text += desktop.LoadString(id) + "\n";
  }
  text.pop_back();
  return text;
}

}  // namespace

BOOL CSetupApp::InitInstance() {
  const std::string commandLine = m_lpCmdLine;

  if (IsReplaceMixerSwitch(commandLine)) {
    if (std::optional<int> exitCode = RunMixerReplacement(m_platform)) {
      m_nExitCode = *exitCode;
      return 0;
    }
  }

  switch (m_switches.kind) {
    case RunSwitches::Kind::Help:
      m_platform.desktop.MessageBox(0, CommandLineHelp(m_platform.desktop), shared::kMessageCaption,
                                    MB_OK | MB_ICONINFORMATION);
      m_nExitCode = exit_code::kSuccess;
      return 0;
    case RunSwitches::Kind::QuietRejected:
      Note("quiet run: the command line holds a switch not known here; nothing done");
      m_nExitCode = exit_code::kInvalidParameter;
      return 0;
    default:
      break;
  }
  m_nExitCode = RunChosenPath(commandLine);
  return 0;
}

int CSetupApp::RunChosenPath(const std::string& commandLine) {
  platform::Platform& platform = m_platform;
  const RunSwitches& switches = m_switches;
  if (AnotherSetupIsRunning()) {
    platform.desktop.MessageBox(0, platform.desktop.LoadString(IDS_SETUP_ALREADY_RUNNING),
                                shared::kMessageCaption, MB_OK | MB_ICONINFORMATION);
    return exit_code::kAlreadyRunning;
  }
  // The removal leaves the audio defaults and the suite's entry alone.
  if (switches.uninstall) return RunRemoval();

  SetDefaultSoundFormat(platform);
  DeleteSuiteLogonEntry(platform.registry);
  const std::string programDirectory = ProgramDirectory(platform);
  std::string setupIni;
  if (programDirectory.empty() || !JoinPath(programDirectory, "setup.ini", &setupIni)) {
    // Not even the options file can be named: the disc's files are out of reach.
    platform.desktop.MessageBox(0, platform.desktop.LoadString(IDS_FOLDER_PATH_TOO_LONG),
                                shared::kMessageCaption, MB_OK | MB_ICONERROR);
    return exit_code::kPathTooLong;
  }
  const InstallOptions options = ReadInstallOptions(platform.profiles, setupIni);
  WriteCdPlayerProfile(platform, setupIni);
  m_bWin2000 = IsWindows2000OrLater(platform.system.GetVersion()) ? 1 : 0;

  // An extended command line picks its path by its driver switch alone.
  const std::string pathSwitch = switches.kind != RunSwitches::Kind::Unattended ? commandLine
                                 : switches.driver                              ? "/DRIVER"
                                                                                : "";
  const StartPath path = ChooseStartPath(m_bWin2000 != 0, options, pathSwitch);
  if (switches.quiet && path == StartPath::ForwardToDiscSetup) {
    // The disc's general setup asks the user; it is not started.
    Note(
        "quiet run: Windows older than Windows 2000 needs the interactive Setup.exe; nothing "
        "started");
    return exit_code::kOldWindowsVersion;
  }
  if (switches.quiet && path == StartPath::MainDialog) {
    Note(
        "quiet run: neither the driver switch nor DriverOnly chooses what to install; nothing "
        "started");
    return exit_code::kInvalidParameter;
  }
  if (path != StartPath::ForwardToDiscSetup && path != StartPath::SuiteOnly &&
      path != StartPath::DriverOnly) {
    Enable3dControlsStatic();
  }
  switch (path) {
    case StartPath::ForwardToDiscSetup:
      return exit_code::OfDiscSetupStart(
          ForwardToDiscSetup(platform.processes, programDirectory, pathSwitch, options.driverOnly));
    case StartPath::SuiteOnly:
      InstallSuiteOnly(platform, programDirectory);
      // The process ends here, the suite setup runs on.
      platform.processes.Exit(exit_code::kSuccess);
      break;
    case StartPath::DriverOnly:
      return InstallDriver(kDriverOnlyRun, programDirectory);
    case StartPath::WebPackageDriver:
      return InstallDriver(kWebPackageRun, programDirectory);
    case StartPath::MainDialog: {
      CSetupDlg dialog(*this);
      dialog.m_bNoRestart = switches.noRestart;
      return RunMainDialog(dialog);
    }
    case StartPath::WdmOptionsDialog: {
      if (switches.quiet) {
        OptionalRestartPrompt noPrompt(platform, true);
        StartChoicesPatcher patcher(platform);
        return InstallDriverPackage(platform, kWdmOptionsRun, programDirectory, 0, noPrompt,
                                    &patcher);
      }
      CWdmOptionsDlg dialog(platform);
      dialog.m_bNoRestart = switches.noRestart;
      return RunMainDialog(dialog);
    }
    case StartPath::Nothing:
      break;
  }
  return exit_code::kSuccess;
}

int CSetupApp::ExitInstance() { return m_nExitCode; }

int CSetupApp::RunRemoval() {
  platform::Desktop& desktop = m_platform.desktop;
  if (!IsWindows2000OrLater(m_platform.system.GetVersion())) {
    desktop.MessageBox(0, desktop.LoadString(IDS_REMOVAL_NEEDS_WINDOWS_2000),
                       shared::kMessageCaption, MB_OK | MB_ICONINFORMATION);
    return exit_code::kOldWindowsVersion;
  }
  return RemoveDriverPackage(m_platform, ProgramDirectory(m_platform));
}

void CSetupApp::Note(const std::string& line) {
  if (m_note) m_note(line);
}

// The mutex is held until the process ends. From Windows 2000 on it is
// global, so that a copy in another user's session counts too; one that a
// copy with other rights holds cannot be opened (access denied). One that
// cannot be created at all does not stop the run: it only guards against a
// second copy.
bool CSetupApp::AnotherSetupIsRunning() {
  const std::string name =
      std::string(IsWindows2000OrLater(m_platform.system.GetVersion()) ? "Global\\" : "") +
      shared::kOneSetupAtATimeMutex;
  const platform::MutexHandle mutex = m_platform.processes.CreateNamedMutex(name);
  const uint32_t error = m_platform.system.GetLastError();
  return mutex != 0 ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
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
  OptionalRestartPrompt restartPrompt(m_platform, m_switches.noRestart);
  return InstallDriverPackage(m_platform, options, programDirectory, 0, restartPrompt);
}
