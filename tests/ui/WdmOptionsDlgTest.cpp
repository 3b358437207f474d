// The Windows 2000 options dialog: its start states, the click rules of the
// jack boxes, Cancel, and "Install" writing the choices into every staged INF.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "res/resource.h"
#include "ui/WdmOptionsDlg.h"

namespace {

constexpr const char* kPackage = "C:\\Download\\Web\\";
constexpr const char* kStaging = "C:\\Program Files\\Quarnex\\WIN_ME\\";
const std::string kLegacyHead = "HKR,\"Settings\",\"EnableLegacy\",    0x00010001,0x0";
const std::string kJackHead = "HKR,\"Settings\",\"JackConfig\",      0x00010001,0x0";

std::string Inf(const std::string& name, char legacyDigit, char jackDigit) {
  return "; " + name + "\r\n[QXAudio.AddReg]\r\n" + kLegacyHead + legacyDigit + ",0,0,0\r\n" +
         kJackHead + jackDigit + ",0,0,0\r\n";
}

// What the user sees of the option controls.
struct Controls {
  int motherboard, soundCard, lineInRear, lineInCenter, micSub, disableLegacy;
  bool sharingEnabled[3];  // 1011, 1012, 1013
  bool allOthersEnabled;   // 1000, 1006, 1007, Install, Cancel

  bool operator==(const Controls&) const = default;
};

void PrintTo(const Controls& c, std::ostream* out) {
  *out << "{1006 " << c.motherboard << ", 1007 " << c.soundCard << ", 1011 " << c.lineInRear
       << ", 1012 " << c.lineInCenter << ", 1013 " << c.micSub << ", 1000 " << c.disableLegacy
       << ", enabled 1011/1012/1013 " << c.sharingEnabled[0] << c.sharingEnabled[1]
       << c.sharingEnabled[2] << ", others enabled " << c.allOthersEnabled << "}";
}

Controls Read(fake::FakeMachine& machine, platform::Hwnd dialog) {
  const auto control = [&](int id) { return machine.desktop.Control(dialog, id); };
  Controls c{};
  c.motherboard = control(IDC_JACK_MOTHERBOARD)->check;
  c.soundCard = control(IDC_JACK_SOUNDCARD)->check;
  c.lineInRear = control(IDC_SHARE_LINEIN_REAR)->check;
  c.lineInCenter = control(IDC_SHARE_LINEIN_CENTER)->check;
  c.micSub = control(IDC_SHARE_MIC_SUB)->check;
  c.disableLegacy = control(IDC_DISABLE_LEGACY)->check;
  c.sharingEnabled[0] = control(IDC_SHARE_LINEIN_REAR)->enabled;
  c.sharingEnabled[1] = control(IDC_SHARE_LINEIN_CENTER)->enabled;
  c.sharingEnabled[2] = control(IDC_SHARE_MIC_SUB)->enabled;
  c.allOthersEnabled = true;
  for (int id : {IDC_DISABLE_LEGACY, IDC_JACK_MOTHERBOARD, IDC_JACK_SOUNDCARD, IDOK, IDCANCEL}) {
    c.allOthersEnabled = c.allOthersEnabled && control(id)->enabled;
  }
  return c;
}

// Motherboard with the given boxes checked, everything enabled.
Controls OnMotherboard(int rear, int center, int mic, int legacy = 0) {
  return {1, 0, rear, center, mic, legacy, {true, true, true}, true};
}
Controls OnSoundCard(int rear, int center, int mic) {
  return {0, 1, rear, center, mic, 0, {false, false, false}, true};
}

// Runs the dialog with these clicks, then reads the controls and presses the
// given button.
Controls AfterClicks(fake::FakeMachine& machine, const std::vector<int>& clicks,
                     fake::UserAction finish = fake::PressEscape(), intptr_t* result = nullptr) {
  Controls seen{};
  std::vector<fake::UserAction> script;
  for (int id : clicks) script.push_back(fake::Click(id));
  script.push_back(fake::Inspect([&](platform::Hwnd dialog) { seen = Read(machine, dialog); }));
  script.push_back(finish);
  machine.desktop.Script(IDD_WDM_OPTIONS, script);
  CWdmOptionsDlg dialog(machine.platform());
  const intptr_t ended = dialog.DoModal();
  if (result) *result = ended;
  return seen;
}

TEST(WdmOptionsDlg, StartsOnMotherboardWithLineInSharedWithRear) {
  fake::FakeMachine machine;
  machine.processes.SetCommandLine(std::string(kPackage) + "W2KSetup.exe");
  Controls seen{};
  std::string sourceDir;
  CWdmOptionsDlg dialog(machine.platform());
  machine.desktop.Script(IDD_WDM_OPTIONS, {fake::Inspect([&](platform::Hwnd window) {
                                             seen = Read(machine, window);
                                             sourceDir = dialog.m_szSourceDir;
                                           }),
                                           fake::PressEscape()});
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(seen, OnMotherboard(1, 0, 0));
  EXPECT_EQ(sourceDir, kPackage);
}

TEST(WdmOptionsDlg, ClicksSetTheStatesOfTheClickTable) {
  struct Case {
    const char* name;
    std::vector<int> clicks;
    Controls expected;
  };
  const int rear = IDC_SHARE_LINEIN_REAR, center = IDC_SHARE_LINEIN_CENTER, mic = IDC_SHARE_MIC_SUB;
  const int board = IDC_JACK_MOTHERBOARD, card = IDC_JACK_SOUNDCARD, legacy = IDC_DISABLE_LEGACY;
  const Case cases[] = {
      {"the already checked line-in/rear stays checked", {rear}, OnMotherboard(1, 0, 0)},
      {"line-in/rear twice", {rear, rear}, OnMotherboard(1, 0, 0)},
      {"line-in/center unchecks both others", {mic, center}, OnMotherboard(0, 1, 0)},
      {"line-in/center clicked again stays checked", {center, center}, OnMotherboard(0, 1, 0)},
      {"line-in/rear after line-in/center", {center, rear}, OnMotherboard(1, 0, 0)},
      {"microphone/subwoofer keeps line-in/rear", {mic}, OnMotherboard(1, 0, 1)},
      {"microphone/subwoofer clicked again stays checked", {mic, mic}, OnMotherboard(1, 0, 1)},
      {"microphone/subwoofer after line-in/center", {center, mic}, OnMotherboard(0, 0, 1)},
      {"line-in/rear keeps microphone/subwoofer", {center, mic, rear}, OnMotherboard(1, 0, 1)},
      {"motherboard when already selected", {board}, OnMotherboard(1, 0, 0)},
      {"sound card disables the boxes with their marks", {mic, card}, OnSoundCard(1, 0, 1)},
      {"sound card clicked again", {center, card, card}, OnSoundCard(0, 1, 0)},
      {"motherboard again enables the same marks", {mic, card, board}, OnMotherboard(1, 0, 1)},
      {"legacy box toggles on", {legacy}, OnMotherboard(1, 0, 0, 1)},
      {"legacy box toggles off", {legacy, legacy}, OnMotherboard(1, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    EXPECT_EQ(AfterClicks(machine, c.clicks), c.expected);
  }
}

TEST(WdmOptionsDlg, CancelEscapeAndTheCloseBoxChangeNothing) {
  for (const fake::UserAction& finish :
       {fake::Click(IDCANCEL), fake::PressEscape(), fake::PressCloseBox()}) {
    fake::FakeMachine machine;
    driver_test::PrepareSystem(machine);
    machine.files.AddFile(std::string(kPackage) + "QXAUDIO.INF", Inf("package", '3', '5'));
    machine.processes.SetCommandLine(std::string(kPackage) + "W2KSetup.exe");
    machine.desktop.AddTopLevelWindow("Mixer");
    machine.desktop.AddTopLevelWindow("TuneStack");
    const size_t journalBefore = machine.journal.Lines().size();

    intptr_t result = 0;
    AfterClicks(machine, {IDC_JACK_SOUNDCARD, IDC_DISABLE_LEGACY}, finish, &result);

    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(machine.desktop.MessageBoxes().empty());
    EXPECT_TRUE(machine.desktop.IsOpen("Mixer"));
    EXPECT_TRUE(machine.desktop.IsOpen("TuneStack"));
    EXPECT_FALSE(machine.files.FolderExists("C:\\Program Files"));
    EXPECT_EQ(machine.files.Contents(std::string(kPackage) + "QXAUDIO.INF"),
              Inf("package", '3', '5'));
    EXPECT_TRUE(machine.devices.copiedInfs.empty());
    EXPECT_TRUE(machine.clock.Sleeps().empty());
    // Only the dialog's own opening and ending happened.
    EXPECT_EQ(std::vector<std::string>(machine.journal.Lines().begin() + journalBefore,
                                       machine.journal.Lines().end()),
              (std::vector<std::string>{"dialog 131 opened", "dialog 131 ended 2"}));
  }
}

// A web package with several files whose names hold ".inf".
void AddOptionsPackage(fake::FakeMachine& machine) {
  const std::string package = kPackage;
  driver_test::PrepareMachine(machine);
  machine.processes.SetCommandLine(package + "W2KSetup.exe");
  machine.files.AddFile(package + "W2KSetup.exe", "setup program");
  machine.files.AddFile(package + "setup.ini",
                        "[InstallOption]\r\nWebSetup=1\r\nInstallWDMDriver=1\r\n");
  machine.files.AddFile(package + "QXAUDIO.INF", Inf("audio", '3', '5'), FILE_ATTRIBUTE_READONLY);
  machine.files.AddFile(package + "qxgame.inf", Inf("game", '3', '5'));
  machine.files.AddFile(package + "QXAUDIO.inf.bak", Inf("backup", '3', '5'));
  machine.files.AddFile(package + "Mixed.Inf", Inf("mixed case", '3', '5'));
  machine.files.AddFile(package + "QXAUDIO.SYS", "driver");
}

TEST(WdmOptionsDlg, InstallWritesTheChoicesIntoEveryStagedInf) {
  struct Case {
    const char* name;
    std::vector<int> clicks;
    char legacyDigit, jackDigit;
  };
  const Case cases[] = {
      {"untouched", {}, '3', '1'},
      {"line-in/center, legacy off", {IDC_SHARE_LINEIN_CENTER, IDC_DISABLE_LEGACY}, '2', '2'},
      {"microphone/subwoofer alone", {IDC_SHARE_LINEIN_CENTER, IDC_SHARE_MIC_SUB}, '3', '4'},
      {"line-in/rear with microphone/subwoofer", {IDC_SHARE_MIC_SUB}, '3', '5'},
      {"sound card with marks kept", {IDC_SHARE_MIC_SUB, IDC_JACK_SOUNDCARD}, '3', '0'},
      {"sound card, legacy off", {IDC_DISABLE_LEGACY, IDC_JACK_SOUNDCARD}, '2', '0'},
  };
  const std::string staging = kStaging;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    AddOptionsPackage(machine);
    platform::Hwnd dialog = 0;
    std::vector<fake::UserAction> script;
    for (int id : c.clicks) script.push_back(fake::Click(id));
    script.push_back(fake::Inspect([&](platform::Hwnd window) { dialog = window; }));
    script.push_back(fake::Click(IDOK));
    machine.desktop.Script(IDD_WDM_OPTIONS, script);

    CWdmOptionsDlg options(machine.platform());
    EXPECT_EQ(options.DoModal(), IDOK);

    // The INF handed over carries the choices; the staged copy went with it.
    EXPECT_EQ(machine.devices.copiedInfs, std::vector<std::string>{staging + "QXAUDIO.INF"});
    EXPECT_EQ(machine.files.Contents("C:\\WINDOWS\\INF\\oem1.inf"),
              Inf("audio", c.legacyDigit, c.jackDigit));
    EXPECT_FALSE(machine.files.FileExists(staging + "QXAUDIO.INF"));
    EXPECT_EQ(machine.files.Contents(staging + "qxgame.inf"),
              Inf("game", c.legacyDigit, c.jackDigit));
    EXPECT_EQ(machine.files.Contents(staging + "QXAUDIO.inf.bak"),
              Inf("backup", c.legacyDigit, c.jackDigit));
    EXPECT_EQ(machine.files.Contents(staging + "Mixed.Inf"), Inf("mixed case", '3', '5'));
    // The package itself is untouched.
    EXPECT_EQ(machine.files.Contents(std::string(kPackage) + "QXAUDIO.INF"),
              Inf("audio", '3', '5'));
    // The pause before the legacy write, once per INF that holds the line.
    const auto& sleeps = machine.clock.Sleeps();
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 100u), c.legacyDigit == '2' ? 3 : 0);
    // The notice belongs to the dialog, which then stays hidden.
    ASSERT_FALSE(machine.desktop.MessageBoxes().empty());
    EXPECT_EQ(machine.desktop.MessageBoxes().front().owner, dialog);
    driver_test::ExpectInOrder(
        machine.journal, {"messagebox Setup: *", "dialog 131 hidden", "copy *", "copyoeminf *",
                          "dialog 132 opened", "dialog 132 ended 1", "dialog 131 ended 1"});
  }
}

}  // namespace

namespace {

// A staged INF another program holds open cannot take the choices: the
// installation stops before the device is removed or any INF is handed over.
TEST(WdmOptionsDlg, AStagedInfThatCannotTakeTheChoicesStopsTheInstallation) {
  const std::string package = kPackage;
  const std::string staging = kStaging;
  fake::FakeMachine machine;
  driver_test::PrepareSystem(machine);
  machine.processes.SetCommandLine(package + "W2KSetup.exe");
  machine.files.AddFile(package + "QXAUDIO.INF", Inf("audio", '3', '5'));
  machine.files.AddFile(package + "qxgame.inf", Inf("game", '3', '5'));
  machine.files.AddFile(package + "QXAUDIO.SYS", "driver");
  machine.devices.AddDevice({"PCI\\CONTROLLER", {"PCI\\VEN_1E5B&DEV_0111"}});
  machine.files.LockFile(staging + "qxgame.inf");
  platform::Hwnd dialog = 0;
  machine.desktop.Script(
      IDD_WDM_OPTIONS,
      {fake::Inspect([&](platform::Hwnd window) { dialog = window; }), fake::Click(IDOK)});

  CWdmOptionsDlg options(machine.platform());
  EXPECT_EQ(options.DoModal(), IDOK);
  EXPECT_EQ(options.ExitCode(), static_cast<int>(ERROR_SHARING_VIOLATION));

  ASSERT_EQ(machine.desktop.MessageBoxes().size(), 2u);
  const fake::MessageBoxRecord& box = machine.desktop.MessageBoxes()[1];
  EXPECT_EQ(box.text,
            "The driver could not be installed.\n\nThe options could not be written into this "
            "file:\n" +
                staging +
                "qxgame.inf\nThe process cannot access the file because it is being used by "
                "another process.");
  EXPECT_EQ(box.owner, dialog);
  EXPECT_EQ(box.type, MB_OK | MB_ICONERROR);
  EXPECT_TRUE(machine.devices.RemovedDevices().empty());
  EXPECT_TRUE(machine.devices.copiedInfs.empty());
  EXPECT_EQ(machine.devices.reenumerations, 0);
  EXPECT_EQ(machine.desktop.DialogsRun(), std::vector<int>{IDD_WDM_OPTIONS});  // no restart prompt
  // The INF that opened has its choices, the package stays as it was.
  EXPECT_EQ(machine.files.Contents(staging + "QXAUDIO.INF"), Inf("audio", '3', '1'));
  EXPECT_EQ(machine.files.Contents(package + "qxgame.inf"), Inf("game", '3', '5'));
}

}  // namespace
