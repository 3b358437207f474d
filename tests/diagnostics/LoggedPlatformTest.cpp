// The diagnostic log on the fake machine: every call through the seam is
// logged once, with its arguments and result, and behaves exactly as it does
// without the log; a whole run leaves the same journal with and without it.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <type_traits>

#include "app/SetupApp.h"
#include "diagnostics/LoggedPlatform.h"
#include "driver/DriverInstallFixture.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

using platform::Hive;
using Platform = platform::Platform;
using Machine = fake::FakeMachine;

constexpr uint32_t kLastErrorBefore = 4242;  // the code each call starts with
constexpr uint32_t kWrittenOver = 0xBAD;     // the code a log write leaves behind

// Keeps the lines; each write changes the last-error code, as writing a file may.
class RecordingSink : public diagnostics::LogSink {
 public:
  explicit RecordingSink(platform::System& system) : m_system(system) {}
  void Write(const std::string& line) override {
    lines.push_back(line);
    m_system.SetLastError(kWrittenOver);
  }
  std::vector<std::string> lines;

 private:
  platform::System& m_system;
};

// Whether a log line is "<time, 10 wide> <expected>", where '#' in expected
// stands for a number (a handle, a count).
bool LineIs(const std::string& line, const std::string& expected) {
  std::string pattern = " *[0-9]+ ";
  for (char c : expected) {
    if (c == '#') {
      pattern += "[0-9A-Fx]+";
    } else {
      if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
      pattern += c;
    }
  }
  return line.size() > 11 && line[10] == ' ' && std::regex_match(line, std::regex(pattern));
}

// The results of a call as text, to compare the runs with and without the log.
template <typename T>
std::string One(const T& value) {
  if constexpr (std::is_convertible_v<T, std::string>) {
    return "\"" + std::string(value) + "\"";
  } else {
    return std::to_string(value);
  }
}
template <typename... T>
std::string Show(const T&... values) {
  std::string text;
  ((text += One(values) + "|"), ...);
  return text;
}

constexpr const char* kStagedInf = "C:\\Program Files\\Quarnex\\WIN_ME\\QXAUDIO.INF";

void Furnish(Machine& m) {
  m.registry.SetString(Hive::LocalMachine, "Software\\Test", "Name", "value");
  m.files.AddFile("C:\\setup.ini", "[Opt]\r\nA=5\r\nB=text\r\n");
  m.files.AddFile("C:\\dir\\a.txt", "a");
  m.files.AddFile("C:\\dir\\b.txt", "b");
  m.files.AddFile("C:\\app.exe", "app");
  m.files.AddFile(kStagedInf, "[Version]\r\n");
  m.desktop.AddTopLevelWindow("Mixer");
  m.processes.SetCommandLine("D:\\W2KSetup.exe /DRIVER");
  m.devices.AddDevice({"PCI\\VEN_1E5B&DEV_0111\\1", {"PCI\\VEN_1E5B&DEV_0111"}});
}

platform::RegKey OpenTestKey(Machine& m) {
  platform::RegKey key = 0;
  m.registry.OpenKey(Hive::LocalMachine, "Software\\Test", KEY_ALL_ACCESS, &key);
  return key;
}

platform::Hwnd Mixer(Machine& m) { return m.desktop.FindTopLevelWindow("Mixer"); }

struct SeamCall {
  // Makes one call through p; m is the machine underneath, for handles the
  // call needs (taken without the log).
  std::function<std::string(Platform& p, Machine& m)> call;
  const char* logged;
};

const SeamCall kSeamCalls[] = {
    // Registry.
    {[](Platform& p, Machine& m) {
       platform::RegKey key = 0;
       const uint32_t result = p.registry.OpenKey(Hive::LocalMachine, "Software\\Test", 1, &key);
       m.registry.CloseKey(key);
       return Show(result, key);
     },
     R"(Registry.OpenKey("HKLM\Software\Test", access=0x1) -> 0, key=#)"},
    {[](Platform& p, Machine&) {
       platform::RegKey key = 0;
       return Show(p.registry.OpenKey(Hive::CurrentUser, "Software\\None", 1, &key));
     },
     R"(Registry.OpenKey("HKCU\Software\None", access=0x1) -> 2)"},
    {[](Platform& p, Machine& m) {
       const platform::RegKey key = OpenTestKey(m);
       std::string data;
       uint32_t type = 0;
       const uint32_t result = p.registry.QueryValue(key, "Name", 64, &data, &type);
       m.registry.CloseKey(key);
       return Show(result, data, type);
     },
     R"(Registry.QueryValue(#, "Name", bufferSize=64) -> 0, type=1, data="value%00")"},
    {[](Platform& p, Machine& m) {
       const platform::RegKey key = OpenTestKey(m);
       const uint32_t result = p.registry.SetValue(key, "Run", REG_SZ, std::string("x y\0", 4));
       m.registry.CloseKey(key);
       return Show(result);
     },
     R"(Registry.SetValue(#, "Run", type=1, data="x y%00") -> 0)"},
    {[](Platform& p, Machine& m) {
       const platform::RegKey key = OpenTestKey(m);
       const uint32_t result = p.registry.DeleteValue(key, "Name");
       m.registry.CloseKey(key);
       return Show(result);
     },
     R"(Registry.DeleteValue(#, "Name") -> 0)"},
    {[](Platform& p, Machine& m) {
       p.registry.CloseKey(OpenTestKey(m));
       return Show(m.registry.OpenKeyCount());
     },
     R"(Registry.CloseKey(#))"},
    // Profile files.
    {[](Platform& p, Machine&) { return Show(p.profiles.GetInt("Opt", "A", 0, "C:\\setup.ini")); },
     R"(ProfileFiles.GetInt("C:\setup.ini", "Opt", "A", default=0) -> 5)"},
    {[](Platform& p, Machine&) {
       return Show(p.profiles.GetString("Opt", "B", "", 80, "C:\\setup.ini"));
     },
     R"(ProfileFiles.GetString("C:\setup.ini", "Opt", "B", default="", bufferSize=80) -> "text")"},
    {[](Platform& p, Machine&) {
       return Show(p.profiles.WriteString("Opt", "C", "new", "C:\\setup.ini"));
     },
     R"(ProfileFiles.WriteString("C:\setup.ini", "Opt", "C", "new") -> true)"},
    // Files.
    {[](Platform& p, Machine&) { return Show(p.files.GetWindowsDirectory(260)); },
     R"(FileSystem.GetWindowsDirectory(bufferSize=260) -> "C:\WINDOWS")"},
    {[](Platform& p, Machine&) { return Show(p.files.GetCurrentDirectory()); },
     R"(FileSystem.GetCurrentDirectory() -> "C:\")"},
    {[](Platform& p, Machine&) { return Show(p.files.SetCurrentDirectory("C:\\None")); },
     R"(FileSystem.SetCurrentDirectory("C:\None") -> false, error=2)"},
    {[](Platform& p, Machine&) { return Show(p.files.CreateDirectory("C:\\New")); },
     R"(FileSystem.CreateDirectory("C:\New") -> true)"},
    {[](Platform& p, Machine& m) {
       platform::FindData found;
       const platform::FindHandle search = p.files.FindFirstFile("C:\\dir\\*.txt", &found);
       m.files.FindClose(search);
       return Show(search, found.fileName, found.attributes);
     },
     R"(FileSystem.FindFirstFile("C:\dir\*.txt") -> #, found="a.txt" attributes=0x20)"},
    {[](Platform& p, Machine&) {
       platform::FindData found;
       return Show(p.files.FindFirstFile("C:\\dir\\*.exe", &found));
     },
     R"(FileSystem.FindFirstFile("C:\dir\*.exe") -> 0x0, error=2)"},
    {[](Platform& p, Machine& m) {
       platform::FindData found;
       const platform::FindHandle search = m.files.FindFirstFile("C:\\dir\\*.txt", &found);
       const bool next = p.files.FindNextFile(search, &found);
       m.files.FindClose(search);
       return Show(next, found.fileName);
     },
     R"(FileSystem.FindNextFile(#) -> true, found="b.txt" attributes=0x20)"},
    {[](Platform& p, Machine& m) {
       platform::FindData found;
       p.files.FindClose(m.files.FindFirstFile("C:\\dir\\*.txt", &found));
       return Show(m.files.OpenSearches());
     },
     R"(FileSystem.FindClose(#))"},
    {[](Platform& p, Machine&) { return Show(p.files.CopyFile("C:\\none", "C:\\b", true)); },
     R"(FileSystem.CopyFile("C:\none", "C:\b", failIfExists=true) -> false, error=2)"},
    {[](Platform& p, Machine& m) {
       return Show(p.files.MoveFile("C:\\dir\\a.txt", "C:\\c.txt"),
                   m.files.FileExists("C:\\c.txt"));
     },
     R"(FileSystem.MoveFile("C:\dir\a.txt", "C:\c.txt") -> true)"},
    {[](Platform& p, Machine&) { return Show(p.files.DeleteFile("C:\\dir\\b.txt")); },
     R"(FileSystem.DeleteFile("C:\dir\b.txt") -> true)"},
    {[](Platform& p, Machine& m) {
       return Show(p.files.SetFileAttributes("C:\\app.exe", 1), m.files.Attributes("C:\\app.exe"));
     },
     R"(FileSystem.SetFileAttributes("C:\app.exe", attributes=0x1) -> true)"},
    {[](Platform& p, Machine&) { return Show(p.files.OpenStream("C:\\none", "rb") != nullptr); },
     R"(FileSystem.OpenStream("C:\none", mode="rb") -> false, error=2)"},
    // Windows, dialogs and message boxes.
    {[](Platform& p, Machine&) { return Show(p.desktop.FindTopLevelWindow("Mixer")); },
     R"(Desktop.FindTopLevelWindow("Mixer") -> #)"},
    {[](Platform& p, Machine&) { return Show(p.desktop.SendMessage(0, WM_CLOSE, 0, 0)); },
     R"(Desktop.SendMessage(0x0, message=0x10, wParam=0x0, lParam=0x0) -> 0)"},
    {[](Platform& p, Machine& m) {
       uintptr_t result = 7;
       return Show(
           p.desktop.SendMessageTimeout(Mixer(m), WM_CLOSE, 1, 2, SMTO_ABORTIFHUNG, 1000, &result),
           result, m.desktop.IsOpen("Mixer"));
     },
     R"(Desktop.SendMessageTimeout(#, message=0x10, wParam=0x1, lParam=0x2, flags=0x2, timeout=1000) -> true, result=0x0)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.ShowWindow(Mixer(m), SW_HIDE)); },
     R"(Desktop.ShowWindow(#, 0) -> true)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.EnableWindow(Mixer(m), false)); },
     R"(Desktop.EnableWindow(#, false) -> false)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.IsWindowVisible(Mixer(m))); },
     R"(Desktop.IsWindowVisible(#) -> true)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.IsWindowEnabled(Mixer(m))); },
     R"(Desktop.IsWindowEnabled(#) -> true)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.IsIconic(Mixer(m))); },
     R"(Desktop.IsIconic(#) -> false)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.RedrawWindow(Mixer(m), RDW_ERASE)); },
     R"(Desktop.RedrawWindow(#, flags=0x4) -> true)"},
    {[](Platform& p, Machine& m) {
       platform::Rect rect;
       return Show(p.desktop.GetClientRect(Mixer(m), &rect), rect.right, rect.bottom);
     },
     R"(Desktop.GetClientRect(#) -> true, rect=#,#,#,#)"},
    {[](Platform& p, Machine&) { return Show(p.desktop.GetSystemMetrics(SM_CXICON)); },
     R"(Desktop.GetSystemMetrics(11) -> 32)"},
    {[](Platform& p, Machine& m) {
       m.desktop.Script(IDD_RESTART, {fake::Click(IDC_RESTART_LATER), fake::Click(IDOK)});
       struct EndsOnOk : platform::DialogProcedure {
         explicit EndsOnOk(Machine& m) : machine(m) {}
         intptr_t DialogProc(platform::Hwnd dialog, uint32_t message, uintptr_t wParam, intptr_t,
                             bool* handled) override {
           *handled = message == WM_COMMAND && wParam == IDOK;
           if (*handled) machine.desktop.EndDialog(dialog, IDOK);
           return *handled;
         }
         Machine& machine;
       } procedure(m);
       return Show(p.desktop.RunModalDialog(IDD_RESTART, 0, &procedure));
     },
     R"(Desktop.RunModalDialog(132, parent=0x0) -> 1)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.EndDialog(Mixer(m), 1)); },
     R"(Desktop.EndDialog(#, 1) -> false, error=4242)"},
    {[](Platform& p, Machine&) { return Show(p.desktop.GetDlgItem(0x999, IDOK)); },
     R"(Desktop.GetDlgItem(0x999, 1) -> 0x0, error=4242)"},
    {[](Platform& p, Machine& m) {
       return Show(p.desktop.DefaultProcessing(Mixer(m), 0x0F, 0, 0));
     },
     R"(Desktop.DefaultProcessing(#, message=0xF, wParam=0x0, lParam=0x0) -> 0)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.GetSystemMenu(Mixer(m))); },
     R"(Desktop.GetSystemMenu(#) -> #)"},
    {[](Platform& p, Machine& m) {
       return Show(p.desktop.AppendMenu(Mixer(m), MF_STRING, 16, "&About..."));
     },
     R"(Desktop.AppendMenu(#, flags=0x0, id=16, "&About...") -> true)"},
    {[](Platform& p, Machine&) { return Show(p.desktop.LoadString(IDS_ABOUTBOX)); },
     R"(Desktop.LoadString(101) -> "&About Setup...")"},
    {[](Platform& p, Machine&) { return Show(p.desktop.LoadIcon(IDR_MAINFRAME)); },
     R"(Desktop.LoadIcon(128) -> 0x1280)"},
    {[](Platform& p, Machine& m) {
       p.desktop.PaintIconic(Mixer(m), 0x1280, 3, -4);
       return Show(m.desktop.iconPaints.size());
     },
     R"(Desktop.PaintIconic(#, icon=0x1280, x=3, y=-4))"},
    {[](Platform& p, Machine&) {
       return Show(p.desktop.MessageBox(0, "One\r\nTwo", "Setup", 0x10));
     },
     R"(Desktop.MessageBox(owner=0x0, "One%0D%0ATwo", "Setup", type=0x10) -> 1)"},
    {[](Platform& p, Machine&) { return Show(p.desktop.ShowWaitCursor()); },
     R"(Desktop.ShowWaitCursor() -> #)"},
    {[](Platform& p, Machine&) {
       p.desktop.RestoreCursor(0);
       return Show();
     },
     R"(Desktop.RestoreCursor(0x0))"},
    {[](Platform& p, Machine&) {
       p.desktop.EnableThreeDControls();
       return Show();
     },
     R"(Desktop.EnableThreeDControls())"},
    // Processes (Exit has a test of its own).
    {[](Platform& p, Machine&) { return Show(p.processes.GetCommandLine()); },
     R"(Processes.GetCommandLine() -> "D:\W2KSetup.exe /DRIVER")"},
    {[](Platform& p, Machine&) {
       platform::StartedProcess started;
       return Show(p.processes.CreateProcess("\"C:\\app.exe\" /x", SW_SHOW, &started),
                   started.process, started.thread);
     },
     R"(Processes.CreateProcess("%22C:\app.exe%22 /x", show=5) -> true, process=#, thread=#)"},
    {[](Platform& p, Machine&) {
       platform::StartedProcess started;
       return Show(p.processes.CreateProcess("C:\\none.exe", SW_SHOW, &started));
     },
     R"(Processes.CreateProcess("C:\none.exe", show=5) -> false, error=2)"},
    {[](Platform& p, Machine&) { return Show(p.processes.WinExec("C:\\none.exe", SW_SHOW)); },
     R"(Processes.WinExec("C:\none.exe", show=5) -> 2)"},
    {[](Platform& p, Machine& m) {
       platform::StartedProcess started;
       m.processes.CreateProcess("C:\\app.exe", SW_SHOW, &started);
       return Show(p.processes.WaitForInputIdle(started.process, 10000), m.clock.Now());
     },
     R"(Processes.WaitForInputIdle(#, timeout=10000) -> 0x0)"},
    {[](Platform& p, Machine& m) {
       platform::StartedProcess started;
       m.processes.CreateProcess("C:\\app.exe", SW_SHOW, &started);
       uint32_t code = 0;
       return Show(p.processes.GetExitCodeProcess(started.process, &code), code);
     },
     R"(Processes.GetExitCodeProcess(#) -> true, exitCode=0)"},
    // Setup services, configuration manager, mixers.
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = p.devices.GetClassDevs(DIGCF_PRESENT | DIGCF_ALLCLASSES);
       m.devices.DestroyDeviceInfoList(set);
       return Show(set);
     },
     R"(DeviceSetup.GetClassDevs(flags=0x6) -> #)"},
    {[](Platform& p, Machine& m) {
       m.devices.classDevsFails = true;
       return Show(p.devices.GetClassDevs(DIGCF_PRESENT));
     },
     R"(DeviceSetup.GetClassDevs(flags=0x2) -> 0xFFFFFFFFFFFFFFFF, error=#)"},
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = m.devices.GetClassDevs(DIGCF_PRESENT);
       platform::DevInfoData data;
       const bool first = p.devices.EnumDeviceInfo(set, 0, &data);
       m.devices.DestroyDeviceInfoList(set);
       return Show(first, data.index, data.devInst);
     },
     R"(DeviceSetup.EnumDeviceInfo(#, 0) -> true, device=0/#)"},
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = m.devices.GetClassDevs(DIGCF_PRESENT);
       platform::DevInfoData data;
       const bool beyond = p.devices.EnumDeviceInfo(set, 1, &data);
       m.devices.DestroyDeviceInfoList(set);
       return Show(beyond);
     },
     R"(DeviceSetup.EnumDeviceInfo(#, 1) -> false, error=259)"},
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = m.devices.GetClassDevs(DIGCF_PRESENT);
       platform::DevInfoData data;
       m.devices.EnumDeviceInfo(set, 0, &data);
       uint8_t buffer[64] = {};
       uint32_t required = 0;
       const bool ok = p.devices.GetDeviceRegistryProperty(set, data, SPDRP_HARDWAREID, buffer,
                                                           sizeof buffer, &required);
       m.devices.DestroyDeviceInfoList(set);
       return Show(ok, required, std::string(reinterpret_cast<char*>(buffer), required));
     },
     R"(DeviceSetup.GetDeviceRegistryProperty(#, device=0/#, property=1, bufferSize=64) -> true, required=23, data="PCI\VEN_1E5B&DEV_0111%00%00")"},
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = m.devices.GetClassDevs(DIGCF_PRESENT);
       platform::DevInfoData data;
       m.devices.EnumDeviceInfo(set, 0, &data);
       uint32_t required = 0;
       const bool ok =
           p.devices.GetDeviceRegistryProperty(set, data, SPDRP_HARDWAREID, nullptr, 0, &required);
       m.devices.DestroyDeviceInfoList(set);
       return Show(ok, required);
     },
     R"(DeviceSetup.GetDeviceRegistryProperty(#, device=0/#, property=1, bufferSize=0) -> false, required=23, error=122)"},
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = m.devices.GetClassDevs(DIGCF_PRESENT);
       platform::DevInfoData data;
       m.devices.EnumDeviceInfo(set, 0, &data);
       const bool ok = p.devices.RemoveDevice(set, data);
       m.devices.DestroyDeviceInfoList(set);
       return Show(ok, m.devices.RemovedDevices().size());
     },
     R"(DeviceSetup.RemoveDevice(#, device=0/#) -> true)"},
    {[](Platform& p, Machine& m) {
       return Show(p.devices.DestroyDeviceInfoList(m.devices.GetClassDevs(DIGCF_PRESENT)));
     },
     R"(DeviceSetup.DestroyDeviceInfoList(#) -> true)"},
    {[](Platform& p, Machine&) {
       return Show(p.devices.CopyOEMInf(kStagedInf, "C:\\Program Files\\Quarnex\\WIN_ME",
                                        SPOST_PATH, SP_COPY_DELETESOURCE));
     },
     R"(DeviceSetup.CopyOEMInf("C:\Program Files\Quarnex\WIN_ME\QXAUDIO.INF", "C:\Program Files\Quarnex\WIN_ME", mediaType=1, copyStyle=0x1) -> true)"},
    {[](Platform& p, Machine&) { return Show(p.devices.CopyOEMInf("C:\\X.INF", "C:\\", 1, 0)); },
     R"(DeviceSetup.CopyOEMInf("C:\X.INF", "C:\", mediaType=1, copyStyle=0x0) -> false, error=2)"},
    {[](Platform& p, Machine& m) {
       platform::SourceList list;
       const bool ok = p.devices.QuerySourceList(SRCLIST_USER, &list);
       m.devices.FreeSourceList(&list);
       return Show(ok);
     },
     R"(DeviceSetup.QuerySourceList(flags=0x20) -> true, entries=["D:\I386"])"},
    {[](Platform& p, Machine& m) {
       return Show(p.devices.SetSourceList(SRCLIST_SYSTEM, {"D:\\I386", "C:\\Q"}),
                   m.devices.sourceList.size());
     },
     R"(DeviceSetup.SetSourceList(flags=0x10, ["D:\I386", "C:\Q"]) -> true)"},
    {[](Platform& p, Machine& m) {
       platform::SourceList list;
       m.devices.QuerySourceList(SRCLIST_USER, &list);
       return Show(p.devices.FreeSourceList(&list));
     },
     R"(DeviceSetup.FreeSourceList(entries=1) -> true)"},
    {[](Platform& p, Machine&) {
       uint32_t root = 0;
       return Show(p.devices.LocateRootDevNode(CM_LOCATE_DEVNODE_NORMAL, &root), root);
     },
     R"(DeviceSetup.LocateRootDevNode(flags=0x0) -> 0, devInst=#)"},
    {[](Platform& p, Machine& m) {
       return Show(p.devices.ReenumerateDevNode(1, CM_REENUMERATE_NORMAL),
                   m.devices.reenumerations);
     },
     R"(DeviceSetup.ReenumerateDevNode(0x1, flags=0x0) -> 0)"},
    {[](Platform& p, Machine&) { return Show(p.devices.MixerGetNumDevs()); },
     R"(DeviceSetup.MixerGetNumDevs() -> 0)"},
    // Clock, system, security.
    {[](Platform& p, Machine& m) {
       p.clock.Sleep(500);
       return Show(m.clock.Now());
     },
     R"(Clock.Sleep(500))"},
    {[](Platform& p, Machine&) { return Show(p.clock.GetTickCount()); },
     R"(Clock.GetTickCount() -> 0)"},
    {[](Platform& p, Machine&) { return Show(p.system.GetVersion().buildNumber); },
     R"(System.GetVersion() -> 5.1.2600 platform 2)"},
    {[](Platform& p, Machine&) { return Show(p.system.GetLastError()); },
     R"(System.GetLastError() -> 4242)"},
    {[](Platform& p, Machine&) {
       p.system.SetLastError(0xE000020B);
       return Show();
     },
     R"(System.SetLastError(0xE000020B))"},
    {[](Platform& p, Machine&) { return Show(p.system.IsDBCSLeadByte(0x81)); },
     R"(System.IsDBCSLeadByte(0x81) -> false)"},
    {[](Platform& p, Machine&) { return Show(p.system.FormatMessage(5)); },
     R"(System.FormatMessage(5) -> "Access is denied.%0D%0A")"},
    {[](Platform& p, Machine&) {
       platform::TokenHandle token = 0;
       return Show(p.security.OpenProcessTokenForAdjust(&token), token);
     },
     R"(Security.OpenProcessTokenForAdjust() -> true, token=0x7000)"},
    {[](Platform& p, Machine&) {
       platform::Luid luid;
       return Show(p.security.LookupPrivilegeValue("SeShutdownPrivilege", &luid), luid.lowPart);
     },
     R"(Security.LookupPrivilegeValue("SeShutdownPrivilege") -> true, luid=0x0:0x13)"},
    {[](Platform& p, Machine&) {
       platform::Luid luid;
       return Show(p.security.LookupPrivilegeValue("SeNone", &luid));
     },
     R"(Security.LookupPrivilegeValue("SeNone") -> false, error=1313)"},
    {[](Platform& p, Machine&) {
       return Show(p.security.EnableTokenPrivilege(0x7000, {19, 0}));
     },
     R"(Security.EnableTokenPrivilege(0x7000, luid=0x0:0x13) -> true, error=4242)"},
    {[](Platform& p, Machine& m) {
       p.security.CloseHandle(0x7000);
       return Show(m.security.openTokens);
     },
     R"(Security.CloseHandle(0x7000))"},
    {[](Platform& p, Machine& m) {
       m.security.exitWindowsFails = true;
       return Show(p.security.ExitWindowsEx(EWX_REBOOT, 0));
     },
     R"(Security.ExitWindowsEx(flags=0x2, reserved=0x0) -> false, error=5)"},
};

TEST(LoggedPlatform, EachCallIsLoggedOnceAndBehavesAsWithoutTheLog) {
  for (const SeamCall& seamCall : kSeamCalls) {
    SCOPED_TRACE(seamCall.logged);
    Machine plain;
    Furnish(plain);
    plain.lastError.code = kLastErrorBefore;
    const std::string expected = seamCall.call(plain.platform(), plain);

    Machine machine;
    Furnish(machine);
    RecordingSink sink(machine.system);
    diagnostics::LoggedPlatform logged(machine.platform(), sink);
    machine.lastError.code = kLastErrorBefore;
    EXPECT_EQ(seamCall.call(logged.platform(), machine), expected);

    EXPECT_EQ(machine.lastError.code, plain.lastError.code);
    EXPECT_EQ(machine.journal.Lines(), plain.journal.Lines());
    EXPECT_EQ(machine.clock.Now(), plain.clock.Now());
    ASSERT_EQ(sink.lines.size(), 1u) << testing::PrintToString(sink.lines);
    EXPECT_PRED2(LineIs, sink.lines[0], seamCall.logged);
  }
}

TEST(LoggedPlatform, AStreamLogsEachCallUnderItsPath) {
  Machine plain;
  Machine machine;
  for (Machine* m : {&plain, &machine}) m->files.AddFile("C:\\a.ini", "[A]\r\nB=1\r\n");
  RecordingSink sink(machine.system);
  diagnostics::LoggedPlatform logged(machine.platform(), sink);

  auto use = [](Platform& p) {
    std::unique_ptr<platform::Stream> stream = p.files.OpenStream("C:\\a.ini", "r+b");
    std::string line;
    std::string results = Show(stream->GetLine(&line, 80), line);
    results += Show(stream->Tell());
    results += Show(stream->Seek(0, 2));
    results += Show(stream->PutChar('x'));
    results += Show(stream->Flush());
    return results;
  };
  EXPECT_EQ(use(logged.platform()), use(plain.platform()));
  EXPECT_EQ(machine.files.Contents("C:\\a.ini"), plain.files.Contents("C:\\a.ini"));

  const std::vector<std::string> expected = {
      R"(FileSystem.OpenStream("C:\a.ini", mode="r+b") -> true)",
      R"(Stream.GetLine(file="C:\a.ini", bufferSize=80) -> true, line="[A]%0D%0A")",
      R"(Stream.Tell(file="C:\a.ini") -> 5)",
      R"(Stream.Seek(file="C:\a.ini", 0, origin=2) -> true)",
      R"(Stream.PutChar(file="C:\a.ini", "x") -> true)",
      R"(Stream.Flush(file="C:\a.ini") -> true)",
      R"(Stream.Close(file="C:\a.ini"))",
  };
  ASSERT_EQ(sink.lines.size(), expected.size()) << testing::PrintToString(sink.lines);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_PRED2(LineIs, sink.lines[i], expected[i]);
}

TEST(LoggedPlatform, ExitWritesTheLastLineBeforeTheProcessEnds) {
  Machine machine;
  RecordingSink sink(machine.system);
  diagnostics::LoggedPlatform logged(machine.platform(), sink);
  machine.clock.Advance(1234);
  try {
    logged.platform().processes.Exit(3010);
    ADD_FAILURE() << "Exit returned";
  } catch (const fake::ProcessExit& exit) {
    EXPECT_EQ(exit.exitCode, 3010);
  }
  ASSERT_EQ(sink.lines.size(), 2u);
  EXPECT_EQ(sink.lines[0], "      1234 Processes.Exit(3010)");
  EXPECT_EQ(sink.lines[1], "      1234 W2KSetup end: exit code 3010");
}

struct WholeRun {
  int exitCode = 0;
  std::vector<std::string> journal;
  std::vector<uint32_t> sleeps;
  uint64_t now = 0;
  std::vector<std::string> log;
};

// A /DRIVER run from the disc on Windows XP, answered "later"; with a log when
// logged is true. withInf false takes the INF off the disc.
WholeRun RunDriverSwitch(bool logged, bool withInf) {
  Machine m;
  driver_test::AddDisc(m);
  if (!withInf) {
    m.files.SetFileAttributes("D:\\W2K-ME\\drv\\QXAUDIO.INF", FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(m.files.DeleteFile("D:\\W2K-ME\\drv\\QXAUDIO.INF"));
  }
  // A refused hand-over offers no restart.
  driver_test::PrepareSystem(m);
  if (withInf) driver_test::AnswerRestartLater(m);
  m.processes.SetCommandLine("D:\\W2KSetup.exe /DRIVER");
  m.system.SetVersion(fake::versions::kWindowsXp);
  m.journal.Clear();
  RecordingSink sink(m.system);
  WholeRun run;
  if (logged) {
    diagnostics::LoggedPlatform log(m.platform(), sink);
    log.Start();
    CSetupApp app(log.platform());
    run.exitCode = app.Run();
    log.End(run.exitCode);
  } else {
    CSetupApp app(m.platform());
    run.exitCode = app.Run();
  }
  run.journal = m.journal.Lines();
  run.sleeps = m.clock.Sleeps();
  run.now = m.clock.Now();
  run.log = sink.lines;
  return run;
}

TEST(LoggedPlatform, AWholeRunDoesWhatItDoesWithoutTheLog) {
  for (bool withInf : {true, false}) {
    SCOPED_TRACE(withInf ? "INF on the disc" : "no INF on the disc");
    const WholeRun plain = RunDriverSwitch(false, withInf);
    const WholeRun logged = RunDriverSwitch(true, withInf);
    EXPECT_EQ(plain.exitCode, withInf ? 3010 : 2);
    EXPECT_EQ(logged.exitCode, plain.exitCode);
    EXPECT_EQ(logged.journal, plain.journal);
    EXPECT_EQ(logged.sleeps, plain.sleeps);
    EXPECT_EQ(logged.now, plain.now);
    EXPECT_TRUE(plain.log.empty());

    const std::vector<std::string>& log = logged.log;
    ASSERT_GT(log.size(), 20u);
    EXPECT_PRED2(LineIs, log.front(),
                 R"(W2KSetup 2.0 start: command line "D:\W2KSetup.exe /DRIVER", )"
                 R"(Windows 5.1.2600 platform 2, program directory "D:\")");
    EXPECT_PRED2(LineIs, log.back(), "W2KSetup end: exit code " + std::to_string(plain.exitCode));
    EXPECT_EQ(std::stoull(log.back().substr(0, 10)), plain.now) << "time is the machine's clock";
    for (size_t i = 1; i < log.size(); ++i) {
      EXPECT_LE(std::stoull(log[i - 1].substr(0, 10)), std::stoull(log[i].substr(0, 10))) << i;
    }
    const std::string handOver =
        R"(DeviceSetup.CopyOEMInf("C:\Program Files\Quarnex\WIN_ME\QXAUDIO.INF", )"
        R"("C:\Program Files\Quarnex\WIN_ME", mediaType=1, copyStyle=0x1) -> )";
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [&](const std::string& line) {
                              return LineIs(line, handOver + (withInf ? "true" : "false, error=2"));
                            }),
              1);
  }
}

TEST(LoggedPlatform, TheVersionIsTheVersionResources) {
  std::ifstream script(SOURCE_DIR "/src/res/app.rc");
  std::stringstream text;
  text << script.rdbuf();
  EXPECT_NE(text.str().find(std::string("VALUE \"FileVersion\", \"") +
                            diagnostics::kProgramVersion + ".0.0\""),
            std::string::npos);
}

}  // namespace
