// Whole runs of the program on the fake machine, made once for each call that
// can fail with that call failing as Windows fails it, and cut by a power cut
// after each change. Every outcome must end, keep the machine working, and
// never report success for an installation that did not happen.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/CommandLineOf.h"
#include "app/SetupApp.h"
#include "common/SharedNames.h"
#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "observation/ObservedPlatform.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

using observation::Effect;
using observation::Failure;
using observation::SeamCall;

constexpr const char* kDisc = "D:\\";
constexpr const char* kWindows = "C:\\WINDOWS\\";
constexpr const char* kDeviceId = "PCI\\VEN_1E5B&DEV_0111&SUBSYS_00000000\\3&1";
constexpr uint32_t kDiskFull = 112;  // ERROR_DISK_FULL

struct WholeRun {
  const char* name;
  platform::OsVersion version;
  std::string commandLine;
  std::function<void(fake::FakeMachine&)> prepare;
  bool installsDriver;         // hands an INF over when everything works
  bool removesDriver = false;  // takes an installed driver off again
};

void InstalledMachine(fake::FakeMachine& machine) {
  driver_test::PrepareSystem(machine);
  driver_test::AddDisc(machine);
  machine.files.AddFile(std::string(kWindows) + "Mixer.exe", "old mixer");
  machine.devices.AddDevice({kDeviceId, {"PCI\\VEN_1E5B&DEV_0111&SUBSYS_00000000"}});
  machine.desktop.AddTopLevelWindow("Mixer");
}

// What a driver installation before the restart leaves: the logon swap armed.
void Armed(fake::FakeMachine& machine) {
  machine.files.AddFile(std::string(kWindows) + "Mixer.dat", "new mixer");
  machine.files.AddFile(std::string(kWindows) + "W2KSetup.exe", "setup program");
  machine.registry.SetString(platform::Hive::LocalMachine, shared::kRunKeyPath,
                             shared::kMixerReplacementValue,
                             "\"C:\\WINDOWS\\W2KSetup.exe\" -ReplaceMixer");
}

// What an installation on Windows Vista or later leaves before the restart:
// the new mixer's copy, noted to be moved over "Mixer.exe".
void StagedForRestart(fake::FakeMachine& machine) {
  machine.files.AddFile(std::string(kWindows) + "Mixer.dat", "new mixer");
  machine.files.AddFile(std::string(kWindows) + "Mixer.new", "new mixer");
  machine.files.MoveFileAtRestart(std::string(kWindows) + "Mixer.new",
                                  std::string(kWindows) + "Mixer.exe");
}

// A driver installed from the disc, and Windows started again since: the
// controller is back. What a removal finds.
void InstalledAndRestarted(fake::FakeMachine& machine, const platform::OsVersion& version) {
  InstalledMachine(machine);
  // An INF the removal knows for this driver's by its strings.
  machine.files.AddFile("D:\\W2K-ME\\drv\\QXAUDIO.INF",
                        "[Strings]\r\nVDX-Legacy.DeviceDesc=\"QXI4710 Legacy\"\r\n", 0x01);
  driver_test::AnswerRestartLater(machine);
  machine.system.SetVersion(version);
  machine.processes.SetCommandLine("D:\\W2KSetup.exe /DRIVER");
  CSetupApp install(machine.platform(), CommandLineOf(machine));
  EXPECT_EQ(install.Run(), 3010);
  machine.Restart();
  machine.devices.AddDevice({std::string(kDeviceId) + "0", {"PCI\\VEN_1E5B&DEV_0111&SUBSYS_0"}});
}

void WithIni(fake::FakeMachine& machine, const std::string& body) {
  machine.files.AddFile(std::string(kDisc) + "setup.ini", "[InstallOption]\r\n" + body);
}

const WholeRun kRuns[] = {
    {"DriverOnly", fake::versions::kWindowsXp, "D:\\W2KSetup.exe /DRIVER",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       driver_test::AnswerRestartLater(m);
     },
     true},
    {"DriverOnlyWhileArmed", fake::versions::kWindowsXp, "D:\\W2KSetup.exe /DRIVER",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       Armed(m);
       driver_test::AnswerRestartLater(m);
     },
     true},
    {"DriverOnlyWindows10", fake::versions::kWindows10, "D:\\W2KSetup.exe /DRIVER",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       driver_test::AnswerRestartLater(m);
     },
     true},
    {"DriverOnlyWindows10WhileStaged", fake::versions::kWindows10, "D:\\W2KSetup.exe /DRIVER",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       StagedForRestart(m);
       driver_test::AnswerRestartLater(m);
     },
     true},
    {"WebPackage", fake::versions::kWindows7, "C:\\Download\\Web\\W2KSetup.exe",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       driver_test::AddWebPackage(m);
       m.files.AddFile("C:\\Download\\Web\\setup.ini", "[InstallOption]\r\nWebSetup=7\r\n");
       driver_test::AnswerRestartLater(m);
     },
     true},
    {"MainDialogBothBoxes", fake::versions::kWindowsXp, "D:\\W2KSetup.exe",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       m.files.AddFile("D:\\W2K-ME\\app\\Setup.exe", "suite setup");
       m.desktop.Script(IDD_SETUP, {fake::Click(IDOK)});
       // When the suite setup cannot be started, the driver box's work follows.
       driver_test::AnswerRestartLater(m);
     },
     false},
    {"OptionsDialogInstall", fake::versions::kWindowsXp, "D:\\W2KSetup.exe",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       driver_test::AddDriverPackage(m, kDisc);
       WithIni(m, "WebSetup=1\r\nInstallWDMDriver=1\r\n");
       m.desktop.Script(IDD_WDM_OPTIONS, {fake::Click(IDOK)});
       driver_test::AnswerRestartLater(m);
     },
     true},
    {"LogonSwap", fake::versions::kWindowsXp, "C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       Armed(m);
     },
     false},
    {"LogonWithoutFullAccess", fake::versions::kWindowsXp,
     "C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       Armed(m);
       m.registry.DenyFullAccess(platform::Hive::LocalMachine, shared::kRunKeyPath);
     },
     false},
    {"RemovalFromTheDisc", fake::versions::kWindowsXp, "D:\\W2KSetup.exe /UNINSTALL",
     [](fake::FakeMachine& m) { InstalledAndRestarted(m, fake::versions::kWindowsXp); }, false,
     true},
    {"RemovalThroughTheList", fake::versions::kWindows10,
     "\"C:\\Program Files\\Quarnex\\W2KSetup.exe\" /UNINSTALL",
     [](fake::FakeMachine& m) { InstalledAndRestarted(m, fake::versions::kWindows10); }, false,
     true},
    {"SuiteOnly", fake::versions::kWindowsXp, "D:\\W2KSetup.exe /AP",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       m.files.AddFile("D:\\W2K-ME\\app\\Setup.exe", "suite setup");
     },
     false},
    {"AudioAndCdDefaults", fake::versions::kWindowsXp, "D:\\W2KSetup.exe",
     [](fake::FakeMachine& m) {
       InstalledMachine(m);
       WithIni(m, "WebSetup=1\r\n[Default]\r\nUsingCDDA=1\r\n");
       m.registry.SetString(platform::Hive::CurrentUser, "Software\\Microsoft\\Multimedia\\Audio",
                            "SystemFormats", "CD Quality,Radio,");
     },
     false},
};

// A run that sleeps this often on the virtual clock is taken to hang.
constexpr int kSleepsOfAHangingRun = 5000;
struct RunHung {};

// Counts the calls that can fail and makes the chosen one fail as Windows
// would, before it reaches the machine.
class FailingCall final : public observation::CallObserver {
 public:
  explicit FailingCall(int failing) : m_failing(failing) {}
  int Counted() const { return m_counted; }
  std::string Failed() const { return m_failed; }

  void Before(SeamCall& call) override {
    if (std::string(call.GetMethod().name) == "Sleep" && ++m_sleeps > kSleepsOfAHangingRun) {
      throw RunHung{};
    }
    if (!CanFail(call) || ++m_counted != m_failing) return;
    m_failed = std::string(call.InterfaceName()) + "::" + call.GetMethod().name;
    const uint32_t error = ErrorFor(call);
    if (!InjectFailure(call, error)) {
      ADD_FAILURE() << m_failed << ": no failure value for its result type";
    }
    call.SetLastError(error);
  }
  void After(SeamCall&) override {}

  static bool CanFail(const SeamCall& call) {
    const observation::Method& method = call.GetMethod();
    return method.failure != Failure::Never && method.effect != Effect::End &&
           method.effect != Effect::Screen && method.effect != Effect::Query;
  }

 private:
  // The error Windows gives: not found for a look-up or an open, a full disc
  // for a copy, a sharing violation for a file in use, access denied for the
  // other writes.
  static uint32_t ErrorFor(const SeamCall& call) {
    const std::string method = call.GetMethod().name;
    if (call.GetMethod().effect == Effect::Lookup || call.GetMethod().effect == Effect::Open) {
      return ERROR_FILE_NOT_FOUND;
    }
    if (method == "CopyFile" || method == "PutChar" || method == "Flush") return kDiskFull;
    if (method == "DeleteFile" || method == "MoveFileReplacing") {
      return ERROR_SHARING_VIOLATION;
    }
    return ERROR_ACCESS_DENIED;
  }

  static bool InjectFailure(SeamCall& call, uint32_t error) {
    const Failure rule = call.GetMethod().failure;
    if (call.Result<bool>()) return call.ReplaceResult(false);
    if (call.Result<std::string>()) return call.ReplaceResult(std::string());
    if (call.Result<std::unique_ptr<platform::Stream>>()) {
      return call.ReplaceResult(std::unique_ptr<platform::Stream>());
    }
    if (call.Result<uint32_t>()) {
      if (rule == Failure::ErrorCode) return call.ReplaceResult(error);
      if (rule == Failure::AllOnes) return call.ReplaceResult(~uint32_t{0});
      if (rule == Failure::Below32) return call.ReplaceResult(uint32_t{ERROR_FILE_NOT_FOUND});
      return call.ReplaceResult(uint32_t{0});
    }
    if (call.Result<uintptr_t>()) {
      return call.ReplaceResult(rule == Failure::AllOnes ? ~uintptr_t{0} : uintptr_t{0});
    }
    if (call.Result<intptr_t>()) return call.ReplaceResult(intptr_t{-1});
    if (call.Result<int>()) return call.ReplaceResult(rule == Failure::MinusOne ? -1 : 0);
    return false;
  }

  int m_failing;
  int m_counted = 0;
  int m_sleeps = 0;
  std::string m_failed;
};

struct Outcome {
  int exitCode = 0;
  bool hung = false;
};

Outcome RunWhole(fake::FakeMachine& machine, const WholeRun& run,
                 observation::CallObserver& observer) {
  machine.system.SetVersion(run.version);
  machine.processes.SetCommandLine(run.commandLine);
  observation::ObservedPlatform observed(machine.platform(), observer);
  CSetupApp app(observed.platform(), CommandLineOf(machine));
  Outcome outcome;
  try {
    outcome.exitCode = app.Run();
  } catch (const fake::ProcessExit& exit) {
    outcome.exitCode = exit.exitCode;
  } catch (const RunHung&) {
    outcome.hung = true;
  }
  // A run cut short leaves the rest of its dialog scripts unused.
  machine.desktop.ForgetScripts();
  return outcome;
}

class NoObserver final : public observation::CallObserver {
 public:
  void After(SeamCall&) override {}
};

// After a removal, failed or cut by a power cut, and the restart that
// follows: the entry in the list stays while anything of the driver does, a
// removal that left something does not end as usual, and a second removal
// from the disc finishes the job.
void ExpectAWayBackFromTheRemoval(const fake::FakeMachine& machine, const WholeRun& run,
                                  const int* exitCode) {
  fake::FakeMachine restarted;
  restarted.RestoreState(machine.SaveState());
  restarted.Restart();
  std::vector<std::string> left = driver_test::DriverLeft(restarted);
  const bool listed = std::erase(left, std::string("entry")) > 0;
  if (!left.empty()) {
    EXPECT_TRUE(listed) << "left without the entry to remove it: " << left.front();
    if (exitCode) EXPECT_TRUE(*exitCode != 0 && *exitCode != 3010) << *exitCode;
  }
  const WholeRun again{"removal again", run.version, "D:\\W2KSetup.exe /UNINSTALL /QUIET", nullptr,
                       false};
  NoObserver none;
  const Outcome second = RunWhole(restarted, again, none);
  EXPECT_FALSE(second.hung);
  restarted.Restart();
  EXPECT_EQ(driver_test::DriverLeft(restarted), std::vector<std::string>{})
      << "a second removal (exit " << second.exitCode << ") did not finish the job";
}

bool DriverHandedOver(const fake::FakeMachine& machine) {
  for (const std::string& name : machine.files.FilesIn(std::string(kWindows) + "INF")) {
    if (name.rfind("oem", 0) == 0) return true;
  }
  return false;
}

// What "nothing lost" means on this machine. A copy cut short by a power cut
// is empty in the fake, so a present, non-empty file is a whole one.
void ExpectWorkingMachine(const fake::FakeMachine& machine, const std::string& when) {
  SCOPED_TRACE(when);
  const std::string mixer = std::string(kWindows) + "Mixer.exe";
  EXPECT_TRUE(machine.files.FileExists(mixer) && !machine.files.Contents(mixer).empty())
      << "Mixer.exe missing or cut short";
  // The moves Windows makes when it next starts leave a whole mixer too.
  fake::FakeMachine restarted;
  restarted.RestoreState(machine.SaveState());
  restarted.Restart();
  EXPECT_FALSE(restarted.files.Contents(mixer).empty())
      << "Mixer.exe missing or cut short after the restart";
  if (machine.registry.Value(platform::Hive::LocalMachine, shared::kRunKeyPath,
                             shared::kMixerReplacementValue)) {
    const std::string program = std::string(kWindows) + "W2KSetup.exe";
    EXPECT_FALSE(machine.files.Contents(program).empty())
        << "the logon entry names a missing or cut-short program";
    EXPECT_FALSE(machine.files.Contents(std::string(kWindows) + "Mixer.dat").empty())
        << "the logon entry would swap in a missing or cut-short mixer";
  }
  for (const std::string& folder :
       {std::string(kWindows) + "INF\\", std::string(driver_test::kStaging)}) {
    for (const std::string& name : machine.files.FilesIn(folder)) {
      if (name.size() > 4 && (name.ends_with(".inf") || name.ends_with(".INF"))) {
        EXPECT_FALSE(machine.files.Contents(folder + name).empty()) << name << " cut short";
      }
    }
  }
}

bool DeviceRemoved(const fake::FakeMachine& machine) {
  for (const fake::FakeDevice& device : machine.devices.Devices()) {
    if (!device.present) return true;
  }
  return false;
}

// The calls whose failure a run may carry on past and still end as usual (0
// or 3010), each with why that is right. A call that is not here fails the
// test until someone has decided, and written here, why the run may go on.
const std::map<std::string, const char*> kReviewedCarryOn = {
    {"Desktop::FindTopLevelWindow", "a program not found has nothing to close"},
    {"Desktop::GetDlgItem", "a control not found is not updated; the dialog works on"},
    {"Desktop::LoadIcon", "the dialog shows without its icon"},
    {"Desktop::MessageBox", "a notice that cannot be shown only informs"},
    {"Desktop::RunModalDialog", "the restart prompt not shown: the restart stays pending (3010)"},
    {"Desktop::SendMessageTimeout", "a program that does not answer WM_CLOSE is left running"},
    {"DeviceSetup::GetClassDevs", "no device list: the device is detected again at the restart"},
    {"DeviceSetup::RemoveDevice", "the device stays: it takes the new driver at the restart"},
    {"DeviceSetup::LocateRootDevNode", "no re-enumeration: the restart detects the device"},
    {"DeviceSetup::ReenumerateDevNode", "no re-enumeration: the restart detects the device"},
    {"DeviceSetup::QuerySourceList", "the source list is left as it was"},
    {"DeviceSetup::SetSourceList", "the source list is left as it was"},
    {"DeviceSetup::UninstallOEMInf", "the removal deletes the INF and its PNF as files"},
    {"FileSystem::CopyFile",
     "a DOS file, a driver file or a staged mixer is missing; the INF "
     "names its files and the hand-over decides"},
    {"FileSystem::CreateDirectory", "a folder that exists; copies into a missing one fail alone"},
    {"FileSystem::DeleteFile", "a stale driver index or earlier INF stays"},
    {"FileSystem::FindFirstFile", "a folder found empty: nothing to copy or purge"},
    {"FileSystem::GetWindowsDirectory", "the steps in the Windows directory are skipped"},
    {"FileSystem::MoveFileReplacing", "the earlier mixer or program copy stays whole"},
    {"FileSystem::MoveFileAtRestart", "the mixer is not replaced at the restart; the driver is"},
    {"FileSystem::OpenStream", "a file that cannot be read counts as absent"},
    {"FileSystem::SetCurrentDirectory", "the other disc layout is used"},
    {"FileSystem::SetFileAttributes", "the copy or deletion that follows decides"},
    {"Processes::CreateNamedMutex", "no guard against a second copy; the run itself goes on"},
    {"Processes::CreateProcess",
     "the suite setup or the new mixer is not started; /AP ends "
     "with 0 as it always does, the main dialog installs the driver"},
    {"ProfileFiles::WriteString", "a default (CD player, mixer, hand-over) is not written"},
    {"Registry::DeleteValue", "a logon entry stays"},
    {"Registry::OpenKey", "the values of that key are not read or written"},
    {"Registry::CreateKey",
     "no entry in the list of installed programs: the driver is in, and "
     "/UNINSTALL from the disc removes it"},
    {"Registry::QueryValue", "the sound formats cannot be read: no default is set"},
    {"Registry::SetValue", "the logon entry or the default sound format is not written"},
};

void PrintTo(const WholeRun& run, std::ostream* out) { *out << run.name; }

class WholeRunFaults : public ::testing::TestWithParam<WholeRun> {};

TEST_P(WholeRunFaults, EveryFailingCallEndsWithoutFalseSuccessOrLoss) {
  const WholeRun& run = GetParam();
  FailingCall counting(0);
  {
    fake::FakeMachine machine;
    run.prepare(machine);
    const Outcome outcome = RunWhole(machine, run, counting);
    ASSERT_FALSE(outcome.hung);
    ASSERT_EQ(DriverHandedOver(machine), run.installsDriver);
    ExpectWorkingMachine(machine, "no failure");
    if (run.removesDriver) {
      fake::FakeMachine restarted;
      restarted.RestoreState(machine.SaveState());
      restarted.Restart();
      EXPECT_EQ(driver_test::DriverLeft(restarted), std::vector<std::string>{});
    }
  }
  int tried = 0;
  std::set<std::string> carriedOnPast;  // calls whose failure the run does not report
  for (int failing = 1; failing <= counting.Counted(); ++failing) {
    fake::FakeMachine machine;
    run.prepare(machine);
    FailingCall failure(failing);
    const Outcome outcome = RunWhole(machine, run, failure);
    ++tried;
    SCOPED_TRACE("call " + std::to_string(failing) + " failing: " + failure.Failed());
    EXPECT_FALSE(outcome.hung);
    ExpectWorkingMachine(machine, "after the failure");
    if (run.removesDriver) ExpectAWayBackFromTheRemoval(machine, run, &outcome.exitCode);
    if (run.installsDriver && !DriverHandedOver(machine)) {
      EXPECT_NE(outcome.exitCode, 0);
      EXPECT_NE(outcome.exitCode, 3010);
      for (int dialog : machine.desktop.DialogsRun()) EXPECT_NE(dialog, IDD_RESTART);
    } else if (outcome.exitCode == 0 || outcome.exitCode == 3010) {
      carriedOnPast.insert(failure.Failed());
    }
  }
  RecordProperty("failure_points", tried);
  std::printf("%s: %d failure points\n", run.name, tried);
  for (const std::string& call : carriedOnPast) {
    EXPECT_TRUE(kReviewedCarryOn.count(call))
        << "the run ends as usual past a failure of " << call << ", which nobody has reviewed";
  }
}

// Records the persistent state after each change and inside each copy over
// an existing file, which Windows does not make atomic.
class PowerCuts final : public observation::CallObserver {
 public:
  explicit PowerCuts(fake::FakeMachine& machine) : m_machine(machine) {
    machine.files.OnCopyHalfDone([this] { m_states.push_back(m_machine.SaveState()); });
  }
  void After(SeamCall& call) override {
    if (call.GetMethod().effect == Effect::Change) m_states.push_back(m_machine.SaveState());
  }
  const std::vector<fake::FakeMachine::PersistentState>& States() const { return m_states; }

 private:
  fake::FakeMachine& m_machine;
  std::vector<fake::FakeMachine::PersistentState> m_states;
};

// The run a user makes after a power cut: the next logon (the entry, when
// armed, runs first), then Setup again when the driver is not yet in place.
void RunAfterPowerCut(const fake::FakeMachine::PersistentState& state, const WholeRun& run) {
  fake::FakeMachine machine;
  run.prepare(machine);
  machine.RestoreState(state);
  machine.Restart();
  NoObserver none;
  const auto armed = machine.registry.Value(platform::Hive::LocalMachine, shared::kRunKeyPath,
                                            shared::kMixerReplacementValue);
  if (armed) {
    const WholeRun logon{"logon", fake::versions::kWindowsXp,
                         "C:\\WINDOWS\\W2KSetup.exe -ReplaceMixer", nullptr, false};
    EXPECT_FALSE(RunWhole(machine, logon, none).hung);
  }
  if (run.installsDriver && !DriverHandedOver(machine)) {
    fake::FakeMachine again;
    run.prepare(again);
    again.RestoreState(machine.SaveState());
    machine.desktop.ForgetScripts();
    EXPECT_FALSE(RunWhole(again, run, none).hung);
    EXPECT_TRUE(DriverHandedOver(again)) << "Setup run again did not install the driver";
    ExpectWorkingMachine(again, "after Setup again");
    return;
  }
  if (run.removesDriver) {
    ExpectAWayBackFromTheRemoval(machine, run, nullptr);
  } else if (DeviceRemoved(machine)) {
    EXPECT_TRUE(DriverHandedOver(machine)) << "a removed device is left without a driver";
  }
  ExpectWorkingMachine(machine, "after the next run");
  machine.desktop.ForgetScripts();
}

TEST_P(WholeRunFaults, APowerCutAtAnyChangeLeavesAWorkingMachine) {
  const WholeRun& run = GetParam();
  fake::FakeMachine machine;
  run.prepare(machine);
  PowerCuts cuts(machine);
  ASSERT_FALSE(RunWhole(machine, run, cuts).hung);
  int tried = 0;
  for (size_t point = 0; point < cuts.States().size(); ++point) {
    SCOPED_TRACE("power cut at point " + std::to_string(point));
    fake::FakeMachine cut;
    cut.RestoreState(cuts.States()[point]);
    ExpectWorkingMachine(cut, "at the power cut");
    RunAfterPowerCut(cuts.States()[point], run);
    ++tried;
  }
  RecordProperty("power_cut_points", tried);
  std::printf("%s: %d power-cut points\n", run.name, tried);
}

INSTANTIATE_TEST_SUITE_P(Runs, WholeRunFaults, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<WholeRun>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
