// The driver installation as each of its four callers runs it: which steps
// run, in which order, and what each caller's record changes.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "driver/DriverInstallFixture.h"
#include "driver/InstallDriverPackage.h"
#include "fake/ResourceScript.h"
#include "platform/WinApi.h"
#include "res/resource.h"
#include "ui/RestartDlg.h"
#include "ui/framework/Dialog.h"

namespace {

using namespace driver_test;

constexpr const char* kControllerInstance = "PCI\\VEN_1E5B&DEV_0111&SUBSYS_00011E5B&REV_01\\4&1";

// What every caller finds on the machine: the mixer running, a mixer
// defaults file, a driver index, an earlier driver's INF and the controller.
void AddInstalledSystem(fake::FakeMachine& machine) {
  PrepareMachine(machine);
  machine.desktop.AddTopLevelWindow("Mixer");
  machine.files.AddFile("C:\\WINDOWS\\mixerdef.ini", "[RUNTIME]\r\nInitialize=1\r\n");
  machine.files.AddFile("C:\\WINDOWS\\INF\\Drvdata.bin", "index", FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile("C:\\WINDOWS\\INF\\Drvidx.bin", "index");
  machine.files.AddFile("C:\\WINDOWS\\INF\\oem3.inf",
                        "[Strings]\r\nVDX-Legacy.DeviceDesc=\"QXI4310 Legacy Audio\"\r\n");
  fake::FakeDevice controller;
  controller.instanceId = kControllerInstance;
  controller.hardwareIds = {"PCI\\VEN_1E5B&DEV_0111&SUBSYS_00011E5B&REV_01",
                            "PCI\\VEN_1E5B&DEV_0111"};
  machine.devices.AddDevice(controller);
}

std::vector<std::string> TenPollsThenPrompt() {
  std::vector<std::string> lines(10, "sleep 3000");
  lines.push_back("sleep 5000");
  lines.push_back("dialog 132 opened");
  lines.push_back("dialog 132 ended 1");
  lines.push_back("wait cursor off");
  return lines;
}

std::vector<std::string> Concat(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

void ExpectCleanRun(const fake::FakeMachine& machine) {
  EXPECT_EQ(machine.desktop.DialogsRun().back(), IDD_RESTART);
  EXPECT_TRUE(machine.security.exitWindowsFlags.empty());  // "later" never restarts
  EXPECT_EQ(machine.desktop.CurrentCursor(), fake::Cursor::Arrow);
}

TEST(InstallDriverPackage, DriverOnlyRunsEveryStepInOrder) {
  fake::FakeMachine machine;
  AddInstalledSystem(machine);
  AddDisc(machine);

  RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);

  ExpectInOrder(
      machine.journal,
      Concat(
          {std::string("messagebox Setup: ") + kNotice,
           "close Mixer",
           "wait cursor on",
           "delete C:\\WINDOWS\\INF\\oem3.inf",
           "profile C:\\WINDOWS\\mixerdef.ini [RUNTIME] Initialize=0",
           "cd C:\\WINDOWS\\INF\\OTHER",
           "mkdir C:\\Program Files",
           "mkdir C:\\Program Files\\Quarnex",
           "mkdir C:\\Program Files\\Quarnex\\DOS",
           "mkdir C:\\Program Files\\Quarnex\\DOS\\DOSAPP",
           "copy D:\\Dosdrv\\QXDOS.EXE -> C:\\Program Files\\Quarnex\\DOS\\QXDOS.EXE",
           "copy D:\\Dosdrv\\DOSAPP\\QXMIX.EXE -> "
           "C:\\Program Files\\Quarnex\\DOS\\DOSAPP\\QXMIX.EXE",
           "cd D:\\W2K-ME",
           "mkdir C:\\Program Files\\Quarnex\\WIN_ME",
           "copy D:\\W2K-ME\\drv\\QXAUDIO.INF -> C:\\Program Files\\Quarnex\\WIN_ME\\QXAUDIO.INF",
           "copy D:\\W2K-ME\\drv\\Mixer.dat -> C:\\WINDOWS\\Mixer.dat.new",
           "replace C:\\WINDOWS\\Mixer.dat.new -> C:\\WINDOWS\\Mixer.dat",
           "copy D:\\W2K-ME\\drv\\W2KSetup.dat -> C:\\WINDOWS\\W2KSetup.exe.new",
           "replace C:\\WINDOWS\\W2KSetup.exe.new -> C:\\WINDOWS\\W2KSetup.exe",
           "regset HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN\\Replace Quarnex Mixer",
           std::string("remove device ") + kControllerInstance,
           "delete C:\\WINDOWS\\INF\\Drvdata.bin",
           "delete C:\\WINDOWS\\INF\\Drvidx.bin",
           "copyoeminf *",
           "setsourcelist 2",
           "reenumerate",
           "mixers 0"},
          TenPollsThenPrompt()));
  EXPECT_EQ(machine.desktop.MessageBoxes().at(0).owner, 0u);
  EXPECT_EQ(machine.desktop.MessageBoxes().size(), 1u);
  EXPECT_EQ(machine.desktop.waitCursorShows, 1);
  ExpectCleanRun(machine);
}

TEST(InstallDriverPackage, WebPackageStagesFlatWithoutDosFilesOrMixerDefaults) {
  fake::FakeMachine machine;
  AddInstalledSystem(machine);
  AddWebPackage(machine);

  RunFromStartRoutine(machine, kWebPackageRun, kWebPackage);

  ExpectInOrder(
      machine.journal,
      Concat(
          {std::string("messagebox Setup: ") + kNotice, "close Mixer", "wait cursor on",
           "delete C:\\WINDOWS\\INF\\oem3.inf", "cd C:\\WINDOWS\\INF\\OTHER",
           "mkdir C:\\Program Files\\Quarnex", "mkdir C:\\Program Files\\Quarnex\\WIN_ME",
           "copy C:\\Download\\Web\\QXAUDIO.INF -> C:\\Program Files\\Quarnex\\WIN_ME\\QXAUDIO.INF",
           "copy C:\\Download\\Web\\Mixer.dat -> C:\\WINDOWS\\Mixer.dat.new",
           "replace C:\\WINDOWS\\Mixer.dat.new -> C:\\WINDOWS\\Mixer.dat", "regset *",
           "remove device *", "copyoeminf *", "setsourcelist 2", "mixers 0", "reenumerate"},
          TenPollsThenPrompt()));
  EXPECT_FALSE(JournalHas(machine.journal, "profile"));
  EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\mixerdef.ini"), "[RUNTIME]\r\nInitialize=1\r\n");
  EXPECT_FALSE(machine.files.FolderExists(kDos));
  EXPECT_EQ(machine.desktop.MessageBoxes().at(0).owner, 0u);
  ExpectCleanRun(machine);
}

TEST(InstallDriverPackage, MainDialogOwnsTheNoticeAndClosesNoProgram) {
  fake::FakeMachine machine;
  AddInstalledSystem(machine);
  AddDisc(machine);

  platform::Hwnd dialog = RunFromDialog(machine, IDD_SETUP, kMainDialogRun, kDisc);

  ASSERT_EQ(machine.desktop.MessageBoxes().size(), 1u);
  const fake::MessageBoxRecord& notice = machine.desktop.MessageBoxes()[0];
  EXPECT_EQ(notice.owner, dialog);
  EXPECT_TRUE(notice.ownerVisible);
  EXPECT_EQ(notice.caption, "Setup");
  EXPECT_EQ(notice.type, MB_OK);
  EXPECT_TRUE(machine.desktop.ClosedWindows().empty());
  EXPECT_TRUE(machine.desktop.IsOpen("Mixer"));
  EXPECT_FALSE(JournalHas(machine.journal, "dialog 102 hidden"));
  ExpectInOrder(machine.journal,
                Concat({"dialog 102 opened", std::string("messagebox Setup: ") + kNotice,
                        "wait cursor on", "delete C:\\WINDOWS\\INF\\oem3.inf", "profile *",
                        "mkdir C:\\Program Files\\Quarnex\\DOS\\DOSAPP", "cd D:\\W2K-ME",
                        "copy D:\\W2K-ME\\drv\\Mixer.dat -> C:\\WINDOWS\\Mixer.dat.new",
                        "replace C:\\WINDOWS\\Mixer.dat.new -> C:\\WINDOWS\\Mixer.dat", "regset *",
                        "remove device *", "copyoeminf *", "reenumerate", "mixers 0"},
                       TenPollsThenPrompt()));
  ExpectInOrder(machine.journal, {"dialog 132 ended 1", "dialog 102 ended 1"});
  ExpectCleanRun(machine);
}

// Records each INF handed over for patching, with the state of its file then.
class RecordingPatcher : public InfPatcher {
 public:
  explicit RecordingPatcher(fake::FakeMachine& machine) : m_machine(machine) {}
  bool PatchInfOptions(const std::string& infPath) override {
    paths.push_back(infPath);
    attributes.push_back(m_machine.files.Attributes(infPath));
    m_machine.journal.Add("patch " + infPath);
    return true;
  }
  std::vector<std::string> paths;
  std::vector<uint32_t> attributes;

 private:
  fake::FakeMachine& m_machine;
};

TEST(InstallDriverPackage, OptionsDialogHidesItselfClosesTheSuiteAndPatchesInfs) {
  fake::FakeMachine machine;
  AddInstalledSystem(machine);
  AddWebPackage(machine);
  const std::string package = kWebPackage;
  machine.files.AddFile(package + "QXAUDIO.INF", "[Version]\r\n", FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile(package + "OEMSETUP.inf", "");
  machine.files.AddFile(package + "Extra.Inf", "", FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile(package + "readme.inf.txt", "");
  machine.desktop.AddTopLevelWindow("CD Player");
  RecordingPatcher patcher(machine);

  platform::Hwnd dialog =
      RunFromDialog(machine, IDD_WDM_OPTIONS, kWdmOptionsRun, kWebPackage, &patcher);

  const std::string staging = kStaging;
  EXPECT_EQ(patcher.paths,
            (std::vector<std::string>{staging + "OEMSETUP.inf", staging + "QXAUDIO.INF",
                                      staging + "readme.inf.txt"}));
  // A read-only INF is made writable again before it is patched.
  EXPECT_EQ(patcher.attributes, std::vector<uint32_t>(3, FILE_ATTRIBUTE_NORMAL));
  // Every staged file is writable, patched or not.
  EXPECT_EQ(machine.files.Attributes(staging + "Extra.Inf"), FILE_ATTRIBUTE_NORMAL);

  ASSERT_EQ(machine.desktop.MessageBoxes().size(), 1u);
  EXPECT_EQ(machine.desktop.MessageBoxes()[0].owner, dialog);
  EXPECT_TRUE(machine.desktop.MessageBoxes()[0].ownerVisible);
  EXPECT_EQ(machine.desktop.ClosedWindows(), (std::vector<std::string>{"CD Player", "Mixer"}));
  ExpectInOrder(
      machine.journal,
      Concat({std::string("messagebox Setup: ") + kNotice, "dialog 131 hidden", "wait cursor on",
              "close CD Player", "close Mixer", "sleep 500", "delete C:\\WINDOWS\\INF\\oem3.inf",
              "profile C:\\WINDOWS\\mixerdef.ini [RUNTIME] Initialize=0",
              "mkdir C:\\Program Files\\Quarnex\\WIN_ME", "patch " + staging + "QXAUDIO.INF",
              "remove device *", "copyoeminf *", "setsourcelist 2", "mixers 0", "reenumerate"},
             TenPollsThenPrompt()));
  // No mixer replacement and no DOS files for this caller.
  EXPECT_FALSE(machine.files.FileExists("C:\\WINDOWS\\Mixer.dat"));
  EXPECT_FALSE(machine.registry.Value(platform::Hive::LocalMachine, kRunKey, kRunValue));
  EXPECT_FALSE(machine.files.FolderExists(kDos));
  ExpectCleanRun(machine);
}

// The mixer count a re-enumeration raises at once: read before it (web
// package, options dialog) the new mixer ends the wait at the first poll;
// read after it (driver only, main dialog) it is already in the baseline.
// The start paths are pinned to their records by reading the record back from
// what a run did; this checks that reading on each caller's own record.
TEST(InstallDriverPackage, EachRecordCanBeReadBackFromWhatTheRunDid) {
  // Changes every staged INF, as the options dialog's patch does.
  class MarkingPatcher : public InfPatcher {
   public:
    explicit MarkingPatcher(fake::FakeMachine& machine) : m_machine(machine) {}
    bool PatchInfOptions(const std::string& infPath) override {
      m_machine.files.AddFile(infPath, "patched");
      return true;
    }

   private:
    fake::FakeMachine& m_machine;
  };
  struct Case {
    const DriverInstallOptions* record;
    int dialogTemplate;  // 0: run from the start routine
  };
  for (const Case& c : {Case{&kDriverOnlyRun, 0}, Case{&kWebPackageRun, 0},
                        Case{&kMainDialogRun, IDD_SETUP}, Case{&kWdmOptionsRun, IDD_WDM_OPTIONS}}) {
    SCOPED_TRACE(c.dialogTemplate);
    fake::FakeMachine machine;
    PrepareRecordObservation(machine, kDisc);
    AnswerRestartLater(machine);
    MarkingPatcher patcher(machine);
    platform::Hwnd owner = 0;
    // The options dialog alone has choices to write into the INFs.
    const bool options = c.record == &kWdmOptionsRun;
    if (c.dialogTemplate) {
      owner =
          RunFromDialog(machine, c.dialogTemplate, *c.record, kDisc, options ? &patcher : nullptr);
    } else {
      RunFromStartRoutine(machine, *c.record, kDisc);
    }
    bool infPatched = false;
    EXPECT_EQ(ObservedRecord(machine, owner, &infPatched), *c.record);
    EXPECT_EQ(infPatched, options);
  }
}

TEST(InstallDriverPackage, MixerBaselineIsReadBeforeOrAfterReenumeration) {
  struct Case {
    const char* name;
    std::vector<uint32_t> sleeps;
  };
  const std::vector<uint32_t> fullWait = [] {
    std::vector<uint32_t> sleeps(10, 3000);
    sleeps.push_back(5000);
    return sleeps;
  }();
  std::vector<uint32_t> optionsFullWait = fullWait;
  optionsFullWait.insert(optionsFullWait.begin(), 500);
  for (int caller = 0; caller < 4; ++caller) {
    SCOPED_TRACE(caller);
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddDisc(machine);
    AddWebPackage(machine);
    machine.devices.mixerCounts = {1};
    machine.devices.mixersFromReenumeration = 1;
    switch (caller) {
      case 0:
        RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);
        EXPECT_EQ(machine.clock.Sleeps(), fullWait);
        break;
      case 1:
        RunFromStartRoutine(machine, kWebPackageRun, kWebPackage);
        EXPECT_EQ(machine.clock.Sleeps(), std::vector<uint32_t>{5000});
        break;
      case 2:
        RunFromDialog(machine, IDD_SETUP, kMainDialogRun, kDisc);
        EXPECT_EQ(machine.clock.Sleeps(), fullWait);
        break;
      case 3:
        RunFromDialog(machine, IDD_WDM_OPTIONS, kWdmOptionsRun, kWebPackage);
        EXPECT_EQ(machine.clock.Sleeps(), (std::vector<uint32_t>{500, 5000}));
        break;
    }
    ExpectCleanRun(machine);
  }
}

// A mixer that has stopped answering does not stop the installation.
TEST(InstallDriverPackage, AMixerThatStoppedAnsweringDoesNotStopTheInstallation) {
  fake::FakeMachine machine;
  AddInstalledSystem(machine);
  AddDisc(machine);
  machine.desktop.StopAnswering(machine.desktop.FindTopLevelWindow("Mixer"));
  RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);
  EXPECT_TRUE(machine.desktop.IsOpen("Mixer"));
  EXPECT_FALSE(machine.devices.copiedInfs.empty());
  EXPECT_EQ(machine.desktop.DialogsRun().back(), IDD_RESTART);
}

void RemoveFromDisc(fake::FakeMachine& machine, const std::string& relativePath) {
  const std::string path = kDisc + relativePath;
  machine.files.SetFileAttributes(path, FILE_ATTRIBUTE_NORMAL);  // disc files are read-only
  ASSERT_TRUE(machine.files.DeleteFile(path));
}

// A hand-over the setup services refuse is reported, not called a success:
// the message names the reason, the logon run armed by this run is disarmed,
// the removed device comes back, and neither the mixer wait nor the restart
// prompt follows.
TEST(InstallDriverPackage, ARefusedHandOverIsReportedAndLeavesNoLogonRun) {
  struct Case {
    const char* name;
    std::optional<uint32_t> refusal;  // none: the disc lacks the INF
    std::string reason;
    int exitCode;
  };
  const Case cases[] = {
      {"no rights", ERROR_ACCESS_DENIED,
       "Access is denied.\nStart Setup again as an administrator.", 5},
      {"full disk", 112, "There is not enough space on the disk.", 112},
      {"no INF on the disc", std::nullopt, "The system cannot find the file specified.", 2},
      {"no error code", 0, "Error 0.", 1603},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    PrepareSystem(machine);
    AddDisc(machine);
    if (c.refusal) {
      machine.devices.copyOemInfRefusal = c.refusal;
    } else {
      RemoveFromDisc(machine, "W2K-ME\\drv\\QXAUDIO.INF");
    }
    machine.devices.sourceList = {"D:\\I386"};

    platform::Hwnd dialog = 0;
    int exitCode = 0;
    machine.desktop.Script(IDD_SETUP, {fake::Inspect([&](platform::Hwnd window) {
                             dialog = window;
                             CRestartDlg restartPrompt(machine.platform());
                             exitCode = InstallDriverPackage(machine.platform(), kMainDialogRun,
                                                             kDisc, window, restartPrompt);
                             machine.desktop.EndDialog(window, IDOK);
                           })});
    CDialog(machine.platform(), IDD_SETUP).DoModal();

    EXPECT_EQ(exitCode, c.exitCode);
    ASSERT_EQ(machine.desktop.MessageBoxes().size(), 2u);
    const fake::MessageBoxRecord& failure = machine.desktop.MessageBoxes()[1];
    EXPECT_EQ(failure.text, "The driver could not be installed.\n\n" + c.reason);
    EXPECT_EQ(failure.caption, "Setup");
    EXPECT_EQ(failure.type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(failure.owner, dialog);  // owned as the notice was
    EXPECT_FALSE(machine.registry.Value(platform::Hive::LocalMachine, kRunKey, kRunValue));
    EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\Mixer.dat"), "new mixer");  // stays
    EXPECT_EQ(machine.devices.reenumerations, 1);
    EXPECT_EQ(machine.devices.sourceList, std::vector<std::string>{"D:\\I386"});
    EXPECT_EQ(machine.devices.mixerCountCalls, 0);
    EXPECT_TRUE(machine.clock.Sleeps().empty());
    EXPECT_EQ(machine.desktop.DialogsRun(), std::vector<int>{IDD_SETUP});
    EXPECT_EQ(machine.desktop.CurrentCursor(), fake::Cursor::Arrow);
  }
}

// A logon value this run did not write (no "Mixer.dat" in the package) is
// left alone when the hand-over fails.
TEST(InstallDriverPackage, ARefusedHandOverKeepsALogonValueItDidNotWrite) {
  fake::FakeMachine machine;
  PrepareSystem(machine);
  AddDisc(machine);
  RemoveFromDisc(machine, "W2K-ME\\drv\\Mixer.dat");
  machine.registry.SetString(platform::Hive::LocalMachine, kRunKey, kRunValue, "earlier run");
  machine.devices.copyOemInfRefusal = ERROR_ACCESS_DENIED;
  EXPECT_EQ(RunFromStartRoutine(machine, kDriverOnlyRun, kDisc), 5);
  EXPECT_TRUE(machine.registry.Value(platform::Hive::LocalMachine, kRunKey, kRunValue));
}

// The report is in the user's language, from the string table; the notice
// before it is the same English text everywhere.
TEST(InstallDriverPackage, ARefusalIsReportedInTheUsersLanguage) {
  for (const char* language : {"en-US.rc", "zh-TW.rc", "fr-FR.rc", "ja-JP.rc", "ko-KR.rc"}) {
    const std::map<int, std::string> texts =
        fake::LoadLanguageResources(fake::LanguageFolder() + "/" + language).strings;
    for (uint32_t refusal : {uint32_t{ERROR_ACCESS_DENIED}, uint32_t{0}}) {
      SCOPED_TRACE(std::string(language) + " refusal " + std::to_string(refusal));
      fake::FakeMachine machine;
      PrepareSystem(machine);
      AddDisc(machine);
      machine.desktop.SetLanguageFile(language);
      machine.devices.copyOemInfRefusal = refusal;
      RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);

      ASSERT_EQ(machine.desktop.MessageBoxes().size(), 2u);
      EXPECT_EQ(machine.desktop.MessageBoxes()[0].text, kNotice);
      std::string reason = "Access is denied.\n" + texts.at(IDS_RUN_AS_ADMINISTRATOR);
      if (refusal == 0) {
        reason = texts.at(IDS_ERROR_NUMBER);
        reason.replace(reason.find("%1"), 2, "0");
      }
      EXPECT_EQ(machine.desktop.MessageBoxes()[1].text,
                texts.at(IDS_NOT_INSTALLED) + "\n\n" + reason);
    }
  }
}

}  // namespace
