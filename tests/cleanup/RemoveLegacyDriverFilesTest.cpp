// The purge of INF files (and their PNF companions) left by earlier drivers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleanup/RemoveLegacyDriverFiles.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

const std::string kInf = "C:\\WINDOWS\\INF\\";
const std::string kOther = "C:\\WINDOWS\\INF\\OTHER\\";

// An INF text with the two "Strings" values the purge looks at; null leaves
// a key out.
std::string Inf(const char* deviceDesc, const char* szPname = nullptr) {
  std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n[Strings]\r\n";
  if (deviceDesc) text += std::string("VDX-Legacy.DeviceDesc=\"") + deviceDesc + "\"\r\n";
  if (szPname) text += std::string("WDM_QXPCI.Wave.szPname=\"") + szPname + "\"\r\n";
  return text;
}

const std::string kOurs = Inf("QXI4710 PCI Audio Controller");
const std::string kForeign = Inf("Other Vendor Audio", "Other Vendor Wave");

// Paths of the files the purge deleted, in order.
std::vector<std::string> Deleted(const fake::FakeMachine& machine) {
  std::vector<std::string> paths;
  for (const std::string& line : machine.journal.StartingWith("delete ")) {
    paths.push_back(line.substr(7));
  }
  return paths;
}

TEST(RemoveLegacyDriverFiles, MarksAFileOnlyWhenAStringsValueBeginsWithAMarker) {
  struct Case {
    const char* deviceDesc;
    const char* szPname;
    bool deleted;
  };
  const Case cases[] = {
      {"QXI4710 PCI Audio Controller", nullptr, true},
      {"QXI4310", nullptr, true},
      {"QXAUDIO driver", nullptr, true},
      {nullptr, "Quarnex Wave Device", true},
      {"Other Vendor Audio", "QXI4310 Wave", true},  // both keys are read
      {"QXI4710 Audio", "Other Vendor Wave", true},
      {"qxi4710 PCI Audio Controller", nullptr, false},
      {"QXI47", nullptr, false},
      {"QXAUDI", "Quarne", false},
      {"QUARNEX Audio", nullptr, false},
      {"PCI Audio QXI4710", nullptr, false},
      {nullptr, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.deviceDesc ? c.deviceDesc : "-") + " / " +
                 (c.szPname ? c.szPname : "-"));
    fake::FakeMachine machine;
    machine.files.AddFile(kOther + "OTHERVEN.INF", kForeign);
    machine.files.AddFile(kInf + "oem7.INF", Inf(c.deviceDesc, c.szPname));
    machine.files.AddFile(kInf + "oem7.PNF", "precompiled");

    RemoveLegacyDriverFiles(machine.platform());

    EXPECT_EQ(machine.files.FileExists(kInf + "oem7.INF"), !c.deleted);
    EXPECT_EQ(machine.files.FileExists(kInf + "oem7.PNF"), !c.deleted);
    EXPECT_EQ(machine.profiles.Reads(kInf + "oem7.INF"), 2);
  }
}

TEST(RemoveLegacyDriverFiles, ScansBothInfDirectoriesAndDeletesReadOnlyFilesAndCompanions) {
  fake::FakeMachine machine;
  machine.files.AddFile(kOther + "OLDQX.INF", kOurs, FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile(kOther + "OLDQX.PNF", "precompiled", FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile(kOther + "OTHERVEN.INF", kForeign);
  machine.files.AddFile(kInf + "oem12.INF", Inf(nullptr, "Quarnex Wave"));
  machine.files.AddFile(kInf + "oem12.PNF", "precompiled");
  machine.files.AddFile(kInf + "oem13.INF", kForeign);  // right after oem12
  machine.files.AddFile(kInf + "oem13.PNF", "precompiled");
  machine.files.AddFile(kInf + "QXW2K.INF", kOurs);    // no companion
  machine.files.AddFile(kInf + "machine.inf", kOurs);  // no scan looks at it

  RemoveLegacyDriverFiles(machine.platform());

  // INF\OTHER holds an INF, so the OEM files are judged once, by the last scan.
  EXPECT_EQ(Deleted(machine),
            (std::vector<std::string>{kOther + "OLDQX.INF", kOther + "OLDQX.PNF",
                                      kInf + "QXW2K.INF", kInf + "oem12.INF", kInf + "oem12.PNF"}));
  EXPECT_EQ(machine.files.FilesIn(kOther), std::vector<std::string>{"OTHERVEN.INF"});
  EXPECT_EQ(machine.files.FilesIn(kInf),
            (std::vector<std::string>{"machine.inf", "oem13.INF", "oem13.PNF"}));
  EXPECT_EQ(machine.profiles.Reads(kInf + "oem13.INF"), 2);
  EXPECT_EQ(machine.files.OpenSearches(), 0u);
}

TEST(RemoveLegacyDriverFiles, LooksTwiceAtTheOemFilesWhenInfOtherHoldsNoInf) {
  for (bool otherFolderExists : {false, true}) {
    SCOPED_TRACE(otherFolderExists ? "INF\\OTHER without INF files" : "no INF\\OTHER");
    fake::FakeMachine machine;
    if (otherFolderExists) machine.files.AddFile(kOther + "readme.txt", "notes");
    machine.files.AddFile(kInf + "oem12.INF", kOurs);
    machine.files.AddFile(kInf + "oem12.PNF", "precompiled");
    machine.files.AddFile(kInf + "oem13.INF", kForeign);
    machine.files.AddFile(kInf + "QXW2K.INF", kOurs);

    RemoveLegacyDriverFiles(machine.platform());

    // The first scan falls back to "OEM*.INF", ahead of the "QX*.INF" scan.
    EXPECT_EQ(Deleted(machine), (std::vector<std::string>{kInf + "oem12.INF", kInf + "oem12.PNF",
                                                          kInf + "QXW2K.INF"}));
    EXPECT_EQ(machine.profiles.Reads(kInf + "oem13.INF"), 4);
    // Deleted by the first look, the file is gone for the second.
    EXPECT_EQ(machine.profiles.Reads(kInf + "oem12.INF"), 2);
    EXPECT_TRUE(machine.files.FileExists(kInf + "oem13.INF"));
    EXPECT_EQ(machine.files.OpenSearches(), 0u);
  }
}

TEST(RemoveLegacyDriverFiles, PurgesUnderAWindowsDirectoryLongerThanSixtyFourCharacters) {
  const std::string windows =
      "C:\\Documents and Settings\\Administrator\\Local Settings\\Windows Images\\WINNT";
  ASSERT_GT(windows.size(), 64u);
  fake::FakeMachine machine;
  machine.files.SetWindowsDirectoryText(windows);
  machine.files.AddFile(windows + "\\INF\\OTHER\\OLDQX.INF", kOurs);
  machine.files.AddFile(windows + "\\INF\\oem3.INF", kOurs);
  machine.files.AddFile(windows + "\\INF\\oem3.PNF", "precompiled");
  machine.files.AddFile(windows + "\\INF\\oem4.INF", kForeign);

  RemoveLegacyDriverFiles(machine.platform());

  EXPECT_EQ(Deleted(machine),
            (std::vector<std::string>{windows + "\\INF\\OTHER\\OLDQX.INF",
                                      windows + "\\INF\\oem3.INF", windows + "\\INF\\oem3.PNF"}));
  EXPECT_TRUE(machine.files.FileExists(windows + "\\INF\\oem4.INF"));
}

TEST(RemoveLegacyDriverFiles, SkipsAPathTooLongForTheFileFunctionsInsteadOfCuttingIt) {
  const std::string windows = "C:\\" + std::string(200, 'W');
  const std::string folder = windows + "\\INF\\";
  const std::string longName = "QXLONG" + std::string(60, 'B') + ".INF";
  ASSERT_GT((folder + longName).size(), static_cast<size_t>(MAX_PATH - 1));
  // The file a path cut to the buffer would name instead; marked as well.
  const std::string cutPath = (folder + longName).substr(0, MAX_PATH - 1);
  fake::FakeMachine machine;
  machine.files.SetWindowsDirectoryText(windows);
  machine.files.AddFile(folder + longName, kOurs);
  machine.files.AddFile(cutPath, kOurs);
  machine.files.AddFile(folder + "QX1.INF", kOurs);

  RemoveLegacyDriverFiles(machine.platform());

  EXPECT_EQ(Deleted(machine), std::vector<std::string>{folder + "QX1.INF"});
  EXPECT_TRUE(machine.files.FileExists(folder + longName));
  EXPECT_TRUE(machine.files.FileExists(cutPath));
}

TEST(RemoveLegacyDriverFiles, JudgesInfsOfEveryShapeByTheirStringsValuesAlone) {
  std::string utf16 = "\xFF\xFE";
  for (char c : kOurs) utf16 += std::string{c, '\0'};
  const std::string longLine = "; " + std::string(100000, 'x') + "\r\n";
  std::string garbage;
  for (int byte = 0; byte < 256; ++byte) garbage += static_cast<char>(byte);
  const struct {
    const char* name;
    std::string inf;
    bool deleted;
  } cases[] = {
      // The profile functions read an INF with a byte-order mark as Unicode.
      {"UTF-16 with a byte-order mark", utf16, true},
      {"a line of 100 000 characters first", longLine + kOurs, true},
      {"a value of 100 000 characters", Inf(("QXAUDIO" + std::string(100000, 'y')).c_str()), true},
      {"no line end after the value", "[Strings]\r\nVDX-Legacy.DeviceDesc=QXI4310", true},
      {"zero bytes", "", false},
      {"binary garbage", garbage, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    machine.files.AddFile(kInf + "oem9.INF", c.inf);
    machine.files.AddFile(kInf + "oem9.PNF", "precompiled");

    RemoveLegacyDriverFiles(machine.platform());

    EXPECT_EQ(machine.files.FileExists(kInf + "oem9.INF"), !c.deleted);
    EXPECT_EQ(machine.files.FileExists(kInf + "oem9.PNF"), !c.deleted);
    if (!c.deleted) {
      EXPECT_EQ(machine.files.Contents(kInf + "oem9.INF"), c.inf);
    }
  }
}

// A file another program holds open is not deleted; the purge goes on with the rest.
TEST(RemoveLegacyDriverFiles, AnInfInUseStaysAndTheOthersGo) {
  fake::FakeMachine machine;
  machine.files.AddFile(kInf + "oem1.INF", kOurs);
  machine.files.AddFile(kInf + "oem2.INF", kOurs);
  machine.files.AddFile(kInf + "oem2.PNF", "precompiled");
  machine.files.LockFile(kInf + "oem1.INF");

  RemoveLegacyDriverFiles(machine.platform());

  EXPECT_TRUE(machine.files.FileExists(kInf + "oem1.INF"));
  EXPECT_EQ(Deleted(machine), (std::vector<std::string>{kInf + "oem2.INF", kInf + "oem2.PNF"}));
}

}  // namespace
