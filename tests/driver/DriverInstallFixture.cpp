#include "driver/DriverInstallFixture.h"

#include <gtest/gtest.h>

#include "res/resource.h"
#include "ui/framework/Dialog.h"

namespace driver_test {

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

void PrepareMachine(fake::FakeMachine& machine) {
  machine.registry.CreateKey(platform::Hive::LocalMachine, kRunKey);
  machine.files.AddFolder("C:\\WINDOWS\\INF\\OTHER");
  machine.desktop.Script(IDD_RESTART, {fake::Click(IDC_RESTART_LATER), fake::Click(IDOK)});
}

void RunFromStartRoutine(fake::FakeMachine& machine, const DriverInstallOptions& options,
                         const std::string& programDirectory) {
  InstallDriverPackage(machine.platform(), options, programDirectory, nullptr);
}

platform::Hwnd RunFromDialog(fake::FakeMachine& machine, int templateId,
                             const DriverInstallOptions& options,
                             const std::string& programDirectory, InfPatcher* patcher) {
  CDialog dialog(machine.platform(), templateId);
  platform::Hwnd window = 0;
  machine.desktop.Script(templateId, {fake::Inspect([&](platform::Hwnd) {
                           window = dialog.GetSafeHwnd();
                           InstallDriverPackage(machine.platform(), options, programDirectory,
                                                &dialog, patcher);
                           dialog.EndDialog(IDOK);
                         })});
  dialog.DoModal();
  return window;
}

namespace {

bool Matches(const std::string& line, const std::string& expected) {
  if (!expected.empty() && expected.back() == '*') {
    return line.compare(0, expected.size() - 1, expected, 0, expected.size() - 1) == 0;
  }
  return line == expected;
}

}  // namespace

void ExpectInOrder(const fake::Journal& journal, const std::vector<std::string>& lines) {
  const std::vector<std::string>& actual = journal.Lines();
  size_t position = 0;
  for (const std::string& expected : lines) {
    while (position < actual.size() && !Matches(actual[position], expected)) ++position;
    if (position == actual.size()) {
      ADD_FAILURE() << "\"" << expected << "\" missing or out of order";
      return;
    }
    ++position;
  }
}

bool JournalHas(const fake::Journal& journal, const std::string& prefix) {
  return !journal.StartingWith(prefix).empty();
}

}  // namespace driver_test
