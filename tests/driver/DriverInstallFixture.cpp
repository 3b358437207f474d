#include "driver/DriverInstallFixture.h"

#include <gtest/gtest.h>

#include "res/resource.h"
#include "ui/RestartDlg.h"
#include "ui/framework/Dialog.h"

namespace driver_test {

namespace {

// The two INFs of a record observation, told apart by their first line. Their
// JackConfig line as shipped (0x05) changes with every choice but one.
const std::string kJackConfigLine =
    "HKR,\"Settings\",\"JackConfig\",      0x00010001,0x05,0,0,0\r\n";
const std::string kDiscLayoutInf = "; disc layout INF\r\n" + kJackConfigLine;
const std::string kFlatPackageInf = "; flat package INF\r\n" + kJackConfigLine;

}  // namespace

void AddDriverPackage(fake::FakeMachine& machine, const std::string& folder, uint32_t attributes) {
  machine.files.AddFile(folder + "QXAUDIO.INF", "[Version]\r\n; " + folder + "\r\n", attributes);
  machine.files.AddFile(folder + "QXAUDIO.SYS", "driver", attributes);
  machine.files.AddFile(folder + "Mixer.dat", "new mixer", attributes);
  machine.files.AddFile(folder + "W2KSetup.dat", "setup program", attributes);
}

void AddDisc(fake::FakeMachine& machine) {
  const std::string disc = kDisc;
  machine.files.AddFile(disc + "W2KSetup.exe", "setup program", 0x01);
  AddDriverPackage(machine, disc + "W2K-ME\\drv\\");
  machine.files.AddFile(disc + "W2K-ME\\drv\\Extra\\Ignored.txt", "", 0x01);
  AddDriverPackage(machine, disc + "WIN_ME\\drv\\");
  machine.files.AddFile(disc + "Dosdrv\\QXDOS.EXE", "dos driver", 0x01);
  machine.files.AddFile(disc + "Dosdrv\\SETUP.BAT", "dos setup", 0x01);
  machine.files.AddFile(disc + "Dosdrv\\DOSAPP\\QXMIX.EXE", "dos mixer", 0x01);
  machine.files.AddFile(disc + "Dosdrv\\DOSAPP\\Help\\QXMIX.HLP", "", 0x01);
}

void AddWebPackage(fake::FakeMachine& machine) {
  const std::string package = kWebPackage;
  AddDriverPackage(machine, package, 0x20);
  machine.files.AddFile(package + "W2KSetup.exe", "setup program");
  machine.files.AddFile(package + "setup.ini", "[InstallOption]\r\nWebSetup=2\r\n");
  machine.files.AddFile(package + "Docs\\Readme.txt", "");
}

void PrepareSystem(fake::FakeMachine& machine) {
  machine.registry.CreateKey(platform::Hive::LocalMachine, kRunKey);
  machine.files.AddFolder("C:\\WINDOWS\\INF\\OTHER");
}

void AnswerRestartLater(fake::FakeMachine& machine, std::source_location where) {
  machine.desktop.Script(IDD_RESTART,
                         {fake::Click(IDC_RESTART_LATER, where), fake::Click(IDOK, where)}, where);
}

void PrepareMachine(fake::FakeMachine& machine, std::source_location where) {
  PrepareSystem(machine);
  AnswerRestartLater(machine, where);
}

int RunFromStartRoutine(fake::FakeMachine& machine, const DriverInstallOptions& options,
                        const std::string& programDirectory) {
  CRestartDlg restartPrompt(machine.platform());
  return InstallDriverPackage(machine.platform(), options, programDirectory, 0, restartPrompt);
}

platform::Hwnd RunFromDialog(fake::FakeMachine& machine, int templateId,
                             const DriverInstallOptions& options,
                             const std::string& programDirectory, InfPatcher* patcher) {
  CDialog dialog(machine.platform(), templateId);
  platform::Hwnd window = 0;
  machine.desktop.Script(templateId, {fake::Inspect([&](platform::Hwnd) {
                           window = dialog.GetSafeHwnd();
                           CRestartDlg restartPrompt(machine.platform());
                           InstallDriverPackage(machine.platform(), options, programDirectory,
                                                dialog.GetSafeHwnd(), restartPrompt, patcher);
                           dialog.EndDialog(IDOK);
                         })});
  dialog.DoModal();
  return window;
}

void PrepareRecordObservation(fake::FakeMachine& machine, const std::string& programDirectory) {
  PrepareSystem(machine);
  AddDriverPackage(machine, programDirectory + "W2K-ME\\drv\\");
  machine.files.AddFile(programDirectory + "W2K-ME\\drv\\QXAUDIO.INF", kDiscLayoutInf);
  AddDriverPackage(machine, programDirectory);
  machine.files.AddFile(programDirectory + "QXAUDIO.INF", kFlatPackageInf);
  machine.files.AddFile(programDirectory + "Dosdrv\\QXDOS.EXE", "dos driver");
  machine.files.AddFile("C:\\WINDOWS\\mixerdef.ini", "[RUNTIME]\r\nInitialize=1\r\n");
  machine.desktop.AddTopLevelWindow("Mixer");
  machine.desktop.AddTopLevelWindow("TuneStack");
}

DriverInstallOptions ObservedRecord(fake::FakeMachine& machine, platform::Hwnd owner,
                                    bool* infPatched, std::source_location where) {
  const fake::Journal& journal = machine.journal;
  const int notice = journal.Find(std::string("messagebox Setup: ") + kNotice);
  if (notice < 0) {
    ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line()))
        << "no notice box: no driver installation to read a record from";
    return {};
  }
  const int cursor = journal.Find("wait cursor on", notice);
  const int firstClose = [&] {
    for (const char* line : {"close Mixer", "close TuneStack"}) {
      int at = journal.Find(line, notice);
      if (at >= 0) return at;
    }
    return -1;
  }();
  const int firstMixerCount = [&] {
    for (int i = notice; i < static_cast<int>(journal.Lines().size()); ++i) {
      if (journal.Lines()[i].rfind("mixers ", 0) == 0) return i;
    }
    return -1;
  }();
  const std::string staging = kStaging;
  const std::vector<std::string> driverCopies =
      journal.StartingWith("copy ");  // "copy <source> -> <target>"
  bool fromDiscLayout = false;
  for (const std::string& copy : driverCopies) {
    if (copy.find("-> " + staging + "QXAUDIO.SYS") == std::string::npos) continue;
    fromDiscLayout = copy.find("\\W2K-ME\\drv\\") != std::string::npos;
  }
  const auto& boxes = machine.desktop.MessageBoxes();
  const bool noticeOwned =
      !boxes.empty() && boxes.front().owner != 0 && boxes.front().owner == owner;
  const std::string handedOver = machine.files.Contents("C:\\WINDOWS\\INF\\oem1.inf");
  const std::string stagedSource = fromDiscLayout ? kDiscLayoutInf : kFlatPackageInf;

  DriverInstallOptions observed{};
  observed.noticeOwner = noticeOwned ? NoticeOwner::CallingDialog : NoticeOwner::None;
  observed.hideOwner = false;
  for (size_t i = notice; i < journal.Lines().size(); ++i) {
    const std::string& line = journal.Lines()[i];
    if (line.rfind("dialog ", 0) == 0 && line.ends_with(" hidden")) observed.hideOwner = true;
  }
  observed.windowsToClose =
      machine.desktop.IsOpen("TuneStack")
          ? (machine.desktop.IsOpen("Mixer") ? WindowsToClose::None : WindowsToClose::Mixer)
          : WindowsToClose::SuitePrograms;
  observed.waitCursorDuringClosing = cursor >= 0 && (firstClose < 0 || cursor < firstClose);
  observed.sourceLayout = fromDiscLayout ? SourceLayout::Disc : SourceLayout::Flat;
  observed.writeMixerDefaults =
      machine.profiles.Get("RUNTIME", "Initialize", "C:\\WINDOWS\\mixerdef.ini") == "0";
  observed.stageDosFiles = machine.files.FileExists(std::string(kDos) + "QXDOS.EXE");
  if (infPatched) *infPatched = handedOver != stagedSource;
  // Staged for the logon swap (Windows 2000 and XP) or for the restart (later).
  observed.stageMixerReplacement = machine.files.FileExists("C:\\WINDOWS\\Mixer.dat");
  observed.baselineBeforeReenumerate =
      firstMixerCount >= 0 && firstMixerCount < journal.Find("reenumerate", notice);
  return observed;
}

std::vector<std::string> DriverLeft(const fake::FakeMachine& machine) {
  std::vector<std::string> left;
  for (const char* path :
       {"C:\\WINDOWS\\W2KSetup.exe", "C:\\WINDOWS\\Mixer.dat", "C:\\WINDOWS\\Mixer.new",
        "C:\\WINDOWS\\INF\\oem1.inf", "C:\\Program Files\\Quarnex\\W2KSetup.exe"}) {
    if (machine.files.FileExists(path)) left.push_back(path);
  }
  for (const char* folder : {"C:\\Program Files\\Quarnex\\WIN_ME",
                             "C:\\Program Files\\Quarnex\\DOS", "C:\\Program Files\\Quarnex"}) {
    if (machine.files.FolderExists(folder)) left.push_back(folder);
  }
  if (machine.registry.KeyExists(
          platform::Hive::LocalMachine,
          "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnex Audio Driver")) {
    left.push_back("entry");
  }
  if (machine.registry.Value(platform::Hive::LocalMachine, kRunKey, kRunValue)) {
    left.push_back("logon entry");
  }
  for (const fake::FakeDevice& device : machine.devices.Devices()) {
    for (const std::string& id : device.hardwareIds) {
      if (device.present && id.starts_with("PCI\\VEN_1E5B&DEV_0111")) {
        left.push_back(device.instanceId);
        break;
      }
    }
  }
  return left;
}

bool JournalHas(const fake::Journal& journal, const std::string& prefix) {
  return !journal.StartingWith(prefix).empty();
}

}  // namespace driver_test

// gtest looks for the printer in the namespace of the type.
void PrintTo(const DriverInstallOptions& o, std::ostream* out) {
  *out << "{noticeOwner " << static_cast<int>(o.noticeOwner) << ", hideOwner " << o.hideOwner
       << ", windowsToClose " << static_cast<int>(o.windowsToClose) << ", waitCursorDuringClosing "
       << o.waitCursorDuringClosing << ", sourceLayout " << static_cast<int>(o.sourceLayout)
       << ", writeMixerDefaults " << o.writeMixerDefaults << ", stageDosFiles " << o.stageDosFiles
       << ", stageMixerReplacement " << o.stageMixerReplacement << ", baselineBeforeReenumerate "
       << o.baselineBeforeReenumerate << "}";
}
