// The files, registry values and setup-service calls of a driver
// installation: where the package is read, what is copied and written, the
// source list, and the wait for the new mixer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/DriverInstallFixture.h"
#include "driver/InstallDriverPackage.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

using namespace driver_test;

std::vector<std::string> Names(std::initializer_list<const char*> names) {
  return std::vector<std::string>(names.begin(), names.end());
}

TEST(DriverStaging, SourceFolderFollowsTheLayout) {
  const std::string disc = kDisc;
  {
    SCOPED_TRACE("W2K-ME present: its drv folder, left as the current directory");
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddDisc(machine);
    RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);
    EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\INF\\oem1.inf"),
              "[Version]\r\n; D:\\W2K-ME\\drv\\\r\n");
    EXPECT_EQ(machine.files.FilesIn(kStaging),
              Names({"Mixer.dat", "QXAUDIO.SYS", "W2KSetup.dat"}));  // the INF went to the system
    EXPECT_EQ(machine.files.GetCurrentDirectory(), "D:\\W2K-ME");
  }
  {
    SCOPED_TRACE("W2K-ME without drv: nothing staged, WIN_ME not tried, so no INF to hand over");
    fake::FakeMachine machine;
    PrepareSystem(machine);
    AddDriverPackage(machine, disc + "WIN_ME\\drv\\");
    machine.files.AddFolder(disc + "W2K-ME");
    RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);
    EXPECT_TRUE(machine.files.FilesIn(kStaging).empty());
    EXPECT_TRUE(machine.files.FolderExists(kStaging));
    EXPECT_FALSE(machine.files.FileExists("C:\\WINDOWS\\INF\\oem1.inf"));
    EXPECT_EQ(machine.devices.copiedInfs.size(), 1u);
    EXPECT_FALSE(machine.registry.Value(platform::Hive::LocalMachine, kRunKey, kRunValue));
    EXPECT_EQ(machine.clock.TotalSlept(), 0u);
    EXPECT_TRUE(machine.desktop.DialogsRun().empty());
  }
  {
    SCOPED_TRACE("no W2K-ME: WIN_ME\\drv");
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddDriverPackage(machine, disc + "WIN_ME\\drv\\");
    RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);
    EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\INF\\oem1.inf"),
              "[Version]\r\n; D:\\WIN_ME\\drv\\\r\n");
  }
  {
    SCOPED_TRACE("flat: every file beside the program, no subfolder");
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddWebPackage(machine);
    AddDisc(machine);
    RunFromStartRoutine(machine, kWebPackageRun, kWebPackage);
    EXPECT_EQ(machine.files.FilesIn(kStaging),
              Names({"Mixer.dat", "QXAUDIO.SYS", "setup.ini", "W2KSetup.dat", "W2KSetup.exe"}));
    EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\INF\\oem1.inf"),
              "[Version]\r\n; C:\\Download\\Web\\\r\n");
    EXPECT_FALSE(machine.files.FileExists(std::string(kStaging) + "Readme.txt"));
  }
}

TEST(DriverStaging, DosFilesAreCopiedWritable) {
  fake::FakeMachine machine;
  PrepareMachine(machine);
  AddDisc(machine);
  // Read-only leftovers of an earlier installation are replaced.
  machine.files.AddFile(std::string(kDos) + "QXDOS.EXE", "old", FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile(std::string(kStaging) + "QXAUDIO.SYS", "old", FILE_ATTRIBUTE_READONLY);

  RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);

  EXPECT_EQ(machine.files.FilesIn(kDos), Names({"QXDOS.EXE", "SETUP.BAT"}));
  EXPECT_EQ(machine.files.FilesIn(kDosApp), Names({"QXMIX.EXE"}));
  EXPECT_FALSE(machine.files.FolderExists(std::string(kDosApp) + "Help"));
  for (const std::string& path : {std::string(kDos) + "QXDOS.EXE", std::string(kDos) + "SETUP.BAT",
                                  std::string(kDosApp) + "QXMIX.EXE"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(machine.files.Attributes(path), FILE_ATTRIBUTE_NORMAL);
  }
  EXPECT_EQ(machine.files.Contents(std::string(kDos) + "QXDOS.EXE"), "dos driver");
  EXPECT_EQ(machine.files.Contents(std::string(kStaging) + "QXAUDIO.SYS"), "driver");
}

TEST(DriverStaging, MixerDefaultsAreWrittenOnlyIntoAnExistingFile) {
  const char* kMixerDefaults = "C:\\WINDOWS\\mixerdef.ini";
  fake::FakeMachine present;
  PrepareMachine(present);
  AddDisc(present);
  present.files.AddFile(kMixerDefaults, "[RUNTIME]\r\nInitialize=1\r\n");
  RunFromStartRoutine(present, kDriverOnlyRun, kDisc);
  EXPECT_EQ(present.profiles.Get("RUNTIME", "Initialize", kMixerDefaults), "0");

  fake::FakeMachine missing;
  PrepareMachine(missing);
  AddDisc(missing);
  RunFromStartRoutine(missing, kDriverOnlyRun, kDisc);
  EXPECT_FALSE(missing.files.FileExists(kMixerDefaults));
}

std::string RunCommandOf(fake::FakeMachine& machine) {
  auto value = machine.registry.Value(platform::Hive::LocalMachine, kRunKey, kRunValue);
  if (!value) return "<none>";
  EXPECT_EQ(value->type, REG_SZ);
  return value->data;
}

TEST(DriverStaging, MixerReplacementIsArmedOnlyWithMixerDat) {
  const std::string package = kWebPackage;
  {
    SCOPED_TRACE("complete package");
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddWebPackage(machine);
    RunFromStartRoutine(machine, kWebPackageRun, kWebPackage);
    EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\Mixer.dat"), "new mixer");
    EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\W2KSetup.exe"), "setup program");
    EXPECT_EQ(RunCommandOf(machine),
              std::string("\"C:\\WINDOWS\\W2KSetup.exe\" -ReplaceMixer") + '\0');
  }
  {
    SCOPED_TRACE("no W2KSetup.dat: not armed, as the entry would name a missing program");
    fake::FakeMachine machine;
    PrepareMachine(machine);
    machine.files.SetWindowsDirectoryText("C:\\My Windows");
    machine.files.AddFolder("C:\\My Windows");
    machine.files.AddFile(package + "QXAUDIO.INF", "[Version]\r\n");
    machine.files.AddFile(package + "Mixer.dat", "new mixer");
    RunFromStartRoutine(machine, kWebPackageRun, kWebPackage);
    EXPECT_EQ(machine.files.Contents("C:\\My Windows\\Mixer.dat"), "new mixer");
    EXPECT_FALSE(machine.files.FileExists("C:\\My Windows\\W2KSetup.exe"));
    EXPECT_EQ(RunCommandOf(machine), "<none>");
  }
  {
    SCOPED_TRACE("no Mixer.dat: nothing staged even with W2KSetup.dat");
    fake::FakeMachine machine;
    PrepareMachine(machine);
    machine.files.AddFile(package + "QXAUDIO.INF", "[Version]\r\n");
    machine.files.AddFile(package + "W2KSetup.dat", "setup program");
    RunFromStartRoutine(machine, kWebPackageRun, kWebPackage);
    EXPECT_FALSE(machine.files.FileExists("C:\\WINDOWS\\W2KSetup.exe"));
    EXPECT_EQ(RunCommandOf(machine), "<none>");
  }
}

// The logon entry names a whole copy of this program and a whole new mixer, or
// is not written: a failed copy (a full disc) does not arm it, and a copy over
// an armed one (Setup run twice before a restart) is cut by a power cut
// without harm. Each case starts from a machine armed by an earlier run.
TEST(DriverStaging, LogonEntryNamesOnlyWholeFiles) {
  const std::string setupCopy = "C:\\WINDOWS\\W2KSetup.exe";
  const std::string stagedMixer = "C:\\WINDOWS\\Mixer.dat";
  const char* armed = "\"C:\\WINDOWS\\W2KSetup.exe\" -ReplaceMixer";
  for (const std::string& failing : {std::string(), setupCopy, stagedMixer}) {
    SCOPED_TRACE("copy failing onto: " + (failing.empty() ? "none" : failing));
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddWebPackage(machine);
    machine.files.AddFile(setupCopy, "earlier setup program");
    machine.files.AddFile(stagedMixer, "earlier mixer");
    machine.registry.SetString(platform::Hive::LocalMachine, kRunKey, kRunValue, armed);
    if (!failing.empty()) machine.files.FailCopiesTo(failing);
    std::vector<std::string> cutFiles;
    machine.files.OnCopyHalfDone([&] {
      for (const std::string& path : {setupCopy, stagedMixer}) {
        if (machine.files.Contents(path).empty()) cutFiles.push_back(path);
      }
    });

    RunFromStartRoutine(machine, kWebPackageRun, kWebPackage);

    EXPECT_EQ(cutFiles, std::vector<std::string>{});
    // A file that could not be replaced stays whole as the earlier run left it.
    EXPECT_EQ(machine.files.Contents(setupCopy),
              failing == setupCopy ? "earlier setup program" : "setup program");
    EXPECT_EQ(machine.files.Contents(stagedMixer),
              failing == stagedMixer ? "earlier mixer" : "new mixer");
    EXPECT_EQ(RunCommandOf(machine), std::string(armed) + '\0');
    EXPECT_EQ(machine.files.FilesIn("C:\\WINDOWS"),
              (std::vector<std::string>{"Mixer.dat", "W2KSetup.exe"}));
  }
  {
    SCOPED_TRACE("the program's copy fails on a clean machine: not armed");
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddWebPackage(machine);
    machine.files.FailCopiesTo(setupCopy);
    RunFromStartRoutine(machine, kWebPackageRun, kWebPackage);
    EXPECT_FALSE(machine.files.FileExists(setupCopy));
    EXPECT_EQ(RunCommandOf(machine), "<none>");
  }
}

TEST(DriverStaging, InfHandOverAndDriverIndex) {
  fake::FakeMachine machine;
  PrepareMachine(machine);
  AddDisc(machine);
  machine.files.AddFile("C:\\WINDOWS\\INF\\Drvdata.bin", "", FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile("C:\\WINDOWS\\INF\\Drvidx.bin", "");

  RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);

  EXPECT_EQ(machine.journal.StartingWith("copyoeminf"),
            Names({"copyoeminf C:\\Program Files\\Quarnex\\WIN_ME\\QXAUDIO.INF "
                   "media=C:\\Program Files\\Quarnex\\WIN_ME type=1 style=1"}));
  EXPECT_FALSE(machine.files.FileExists("C:\\WINDOWS\\INF\\Drvdata.bin"));
  EXPECT_FALSE(machine.files.FileExists("C:\\WINDOWS\\INF\\Drvidx.bin"));
}

TEST(DriverStaging, PathsThatDoNotFitAreSkippedNotCut) {
  fake::FakeMachine machine;
  PrepareMachine(machine);
  AddWebPackage(machine);
  // Fits beside the program (C:\Download\Web\ + 230), not in the staging
  // folder (32 + 230 > 259); a cut copy would bear a shorter name.
  const std::string longName(230, 'x');
  machine.files.AddFile(std::string(kWebPackage) + longName, "long");

  RunFromStartRoutine(machine, kWebPackageRun, kWebPackage);

  for (const std::string& name : machine.files.FilesIn(kStaging)) {
    EXPECT_EQ(name.find("xxx"), std::string::npos) << name;
  }
  EXPECT_TRUE(machine.files.FileExists(std::string(kStaging) + "QXAUDIO.SYS"));
}

TEST(DriverStaging, SourceListGainsTheStagingFolderWhenItCanBeRead) {
  {
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddDisc(machine);
    RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);
    EXPECT_EQ(machine.devices.sourceList, Names({"D:\\I386", kStaging}));
    EXPECT_EQ(machine.devices.freeSourceListCalls, 1);
  }
  {
    SCOPED_TRACE("a list of 150 entries keeps them all");
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddDisc(machine);
    std::vector<std::string> many;
    for (int i = 0; i < 150; ++i) many.push_back("\\\\server\\share" + std::to_string(i));
    machine.devices.sourceList = many;
    RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);
    many.push_back(kStaging);
    EXPECT_EQ(machine.devices.sourceList, many);
  }
  {
    SCOPED_TRACE("a list that cannot be read is neither set nor freed");
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddDisc(machine);
    machine.devices.sourceListAvailable = false;
    RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);
    EXPECT_EQ(machine.devices.setSourceListCalls, 0);
    EXPECT_EQ(machine.devices.freeSourceListCalls, 0);
    EXPECT_EQ(machine.devices.sourceList, Names({"D:\\I386"}));
    EXPECT_EQ(machine.devices.reenumerations, 1);
    EXPECT_EQ(machine.desktop.DialogsRun(), std::vector<int>{IDD_RESTART});
  }
}

TEST(DriverStaging, WaitForTheNewMixer) {
  struct Case {
    const char* name;
    std::vector<uint32_t> counts;  // baseline first, then the polls
    std::vector<uint32_t> sleeps;
    bool locateFails = false;
  };
  std::vector<uint32_t> fullWait(10, 3000);
  fullWait.push_back(5000);
  const Case cases[] = {
      {"no new mixer", {2}, fullWait},
      {"a mixer at the first poll", {0, 1}, {5000}},
      {"a mixer at the third poll", {0, 0, 0, 1}, {3000, 3000, 5000}},
      {"a mixer lost counts as none", {2, 1}, fullWait},
      {"counts compared signed", {0xFFFFFFFF, 0}, {5000}},
      {"no re-enumeration, same wait", {2}, fullWait, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    PrepareMachine(machine);
    AddDisc(machine);
    machine.devices.mixerCounts.assign(c.counts.begin(), c.counts.end());
    machine.devices.locateFails = c.locateFails;
    RunFromStartRoutine(machine, kDriverOnlyRun, kDisc);
    EXPECT_EQ(machine.clock.Sleeps(), c.sleeps);
    EXPECT_EQ(machine.devices.reenumerations, c.locateFails ? 0 : 1);
    EXPECT_EQ(machine.desktop.DialogsRun(), std::vector<int>{IDD_RESTART});
  }
}

}  // namespace
