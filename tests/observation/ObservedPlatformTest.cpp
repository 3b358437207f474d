// The forwarding layer on the fake machine: every call through the seam
// reaches the platform underneath with its arguments, comes back with its
// result, and is seen once by the observer under its own interface and method
// name; an observer can replace the result, with the platform then not called.
#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

#include "fake/FakeMachine.h"
#include "observation/CallLinePattern.h"
#include "observation/ObservedPlatform.h"
#include "observation/ValueText.h"
#include "platform/WinApi.h"
#include "res/resource.h"

namespace {

using platform::Hive;
using Platform = platform::Platform;
using Machine = fake::FakeMachine;

constexpr uint32_t kLastErrorBefore = 4242;  // the code each call starts with

// Every call it sees, as the log writes it.
class RecordingObserver : public observation::CallObserver {
 public:
  void After(observation::SeamCall& call) override { lines.push_back(observation::Describe(call)); }
  std::vector<std::string> lines;
};

bool Matches(const std::string& line, const std::string& expected) {
  return observation_test::MatchesCallLine(line, expected);
}

// The results of a call as text, to compare the runs with and without the observer.
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

struct EachMethod {
  // Makes one call through p; m is the machine underneath, for handles the
  // call needs (taken without the observer).
  std::function<std::string(Platform& p, Machine& m)> call;
  const char* line;
};

const EachMethod kEachMethod[] = {
    // Registry.
    {[](Platform& p, Machine& m) {
       platform::RegKey key = 0;
       const uint32_t result = p.registry.OpenKey(Hive::LocalMachine, "Software\\Test", 1, &key);
       m.registry.CloseKey(key);
       return Show(result, key);
     },
     R"(Registry.OpenKey(HKLM, "Software\Test", 1, #) -> 0)"},
    {[](Platform& p, Machine& m) {
       platform::RegKey key = 0;
       const uint32_t result = p.registry.CreateKey(Hive::LocalMachine, "Software\\New", 1, &key);
       m.registry.CloseKey(key);
       return Show(result, m.registry.KeyExists(Hive::LocalMachine, "Software\\New"));
     },
     R"(Registry.CreateKey(HKLM, "Software\New", 1, #) -> 0)"},
    {[](Platform& p, Machine& m) {
       return Show(p.registry.DeleteKey(Hive::LocalMachine, "Software\\Test"),
                   m.registry.KeyExists(Hive::LocalMachine, "Software\\Test"));
     },
     R"(Registry.DeleteKey(HKLM, "Software\Test") -> 0)"},
    {[](Platform& p, Machine&) {
       platform::RegKey key = 0;
       return Show(p.registry.OpenKey(Hive::CurrentUser, "Software\\None", 1, &key));
     },
     R"(Registry.OpenKey(HKCU, "Software\None", 1, -) -> 2)"},
    {[](Platform& p, Machine& m) {
       const platform::RegKey key = OpenTestKey(m);
       std::string data;
       uint32_t type = 0;
       const uint32_t result = p.registry.QueryValue(key, "Name", 64, &data, &type);
       m.registry.CloseKey(key);
       return Show(result, data, type);
     },
     R"(Registry.QueryValue(#, "Name", 64, "value%00", 1) -> 0)"},
    {[](Platform& p, Machine& m) {
       const platform::RegKey key = OpenTestKey(m);
       const uint32_t result = p.registry.SetValue(key, "Run", REG_SZ, std::string("x y\0", 4));
       m.registry.CloseKey(key);
       return Show(result);
     },
     R"(Registry.SetValue(#, "Run", 1, "x y%00") -> 0)"},
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
     R"(ProfileFiles.GetInt("Opt", "A", 0, "C:\setup.ini") -> 5)"},
    {[](Platform& p, Machine&) {
       return Show(p.profiles.GetString("Opt", "B", "", 80, "C:\\setup.ini"));
     },
     R"(ProfileFiles.GetString("Opt", "B", "", 80, "C:\setup.ini") -> "text")"},
    {[](Platform& p, Machine&) {
       return Show(p.profiles.WriteString("Opt", "C", "new", "C:\\setup.ini"));
     },
     R"(ProfileFiles.WriteString("Opt", "C", "new", "C:\setup.ini") -> true)"},
    // Files.
    {[](Platform& p, Machine&) { return Show(p.files.GetWindowsDirectory(260)); },
     R"(FileSystem.GetWindowsDirectory(260) -> "C:\WINDOWS")"},
    {[](Platform& p, Machine&) { return Show(p.files.GetCurrentDirectory()); },
     R"(FileSystem.GetCurrentDirectory() -> "C:\")"},
    {[](Platform& p, Machine&) { return Show(p.files.SetCurrentDirectory("C:\\None")); },
     R"(FileSystem.SetCurrentDirectory("C:\None") -> false, error=2)"},
    {[](Platform& p, Machine&) { return Show(p.files.CreateDirectory("C:\\New")); },
     R"(FileSystem.CreateDirectory("C:\New") -> true)"},
    {[](Platform& p, Machine&) { return Show(p.files.RemoveDirectory("C:\\dir")); },
     R"(FileSystem.RemoveDirectory("C:\dir") -> false, error=145)"},
    {[](Platform& p, Machine& m) {
       const bool noted = p.files.DeleteFileAtRestart("C:\\app.exe");
       m.Restart();
       return Show(noted, m.files.FileExists("C:\\app.exe"));
     },
     R"(FileSystem.DeleteFileAtRestart("C:\app.exe") -> true)"},
    {[](Platform& p, Machine& m) {
       platform::FindData found;
       const platform::FindHandle search = p.files.FindFirstFile("C:\\dir\\*.txt", &found);
       m.files.FindClose(search);
       return Show(search, found.fileName, found.attributes);
     },
     R"(FileSystem.FindFirstFile("C:\dir\*.txt", ...) -> #)"},
    {[](Platform& p, Machine&) {
       platform::FindData found;
       return Show(p.files.FindFirstFile("C:\\dir\\*.exe", &found));
     },
     R"(FileSystem.FindFirstFile("C:\dir\*.exe", -) -> 0, error=2)"},
    {[](Platform& p, Machine& m) {
       platform::FindData found;
       const platform::FindHandle search = m.files.FindFirstFile("C:\\dir\\*.txt", &found);
       const bool next = p.files.FindNextFile(search, &found);
       m.files.FindClose(search);
       return Show(next, found.fileName);
     },
     R"(FileSystem.FindNextFile(#, ...) -> true)"},
    {[](Platform& p, Machine& m) {
       platform::FindData found;
       p.files.FindClose(m.files.FindFirstFile("C:\\dir\\*.txt", &found));
       return Show(m.files.OpenSearches());
     },
     R"(FileSystem.FindClose(#))"},
    {[](Platform& p, Machine&) { return Show(p.files.CopyFile("C:\\none", "C:\\b", true)); },
     R"(FileSystem.CopyFile("C:\none", "C:\b", true) -> false, error=2)"},
    {[](Platform& p, Machine& m) {
       return Show(p.files.MoveFileReplacing("C:\\dir\\a.txt", "C:\\app.exe"),
                   m.files.Contents("C:\\app.exe"));
     },
     R"(FileSystem.MoveFileReplacing("C:\dir\a.txt", "C:\app.exe") -> true)"},
    {[](Platform& p, Machine& m) {
       const bool noted = p.files.MoveFileAtRestart("C:\\dir\\a.txt", "C:\\app.exe");
       m.Restart();
       return Show(noted, m.files.Contents("C:\\app.exe"));
     },
     R"(FileSystem.MoveFileAtRestart("C:\dir\a.txt", "C:\app.exe") -> true)"},
    {[](Platform& p, Machine&) { return Show(p.files.DeleteFile("C:\\dir\\b.txt")); },
     R"(FileSystem.DeleteFile("C:\dir\b.txt") -> true)"},
    {[](Platform& p, Machine& m) {
       return Show(p.files.SetFileAttributes("C:\\app.exe", 1), m.files.Attributes("C:\\app.exe"));
     },
     R"(FileSystem.SetFileAttributes("C:\app.exe", 1) -> true)"},
    {[](Platform& p, Machine&) { return Show(p.files.OpenStream("C:\\none", "rb") != nullptr); },
     R"(FileSystem.OpenStream("C:\none", "rb") -> null, error=2)"},
    // Windows, dialogs and message boxes.
    {[](Platform& p, Machine&) { return Show(p.desktop.FindTopLevelWindow("Mixer")); },
     R"(Desktop.FindTopLevelWindow("Mixer") -> #)"},
    {[](Platform& p, Machine&) { return Show(p.desktop.SendMessage(0, WM_CLOSE, 0, 0)); },
     R"(Desktop.SendMessage(0, 16, 0, 0) -> 0)"},
    {[](Platform& p, Machine& m) {
       uintptr_t result = 7;
       return Show(
           p.desktop.SendMessageTimeout(Mixer(m), WM_CLOSE, 1, 2, SMTO_ABORTIFHUNG, 1000, &result),
           result, m.desktop.IsOpen("Mixer"));
     },
     R"(Desktop.SendMessageTimeout(#, 16, 1, 2, 2, 1000, 0) -> true)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.ShowWindow(Mixer(m), SW_HIDE)); },
     R"(Desktop.ShowWindow(#, 0) -> true)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.EnableWindow(Mixer(m), false)); },
     R"(Desktop.EnableWindow(#, false) -> false)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.IsIconic(Mixer(m))); },
     R"(Desktop.IsIconic(#) -> false)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.RedrawWindow(Mixer(m), RDW_ERASE)); },
     R"(Desktop.RedrawWindow(#, 4) -> true)"},
    {[](Platform& p, Machine& m) {
       platform::Rect rect;
       return Show(p.desktop.GetClientRect(Mixer(m), &rect), rect.right, rect.bottom);
     },
     R"(Desktop.GetClientRect(#, ...) -> true)"},
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
     R"(Desktop.RunModalDialog(132, 0, ...) -> 1)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.EndDialog(Mixer(m), 1)); },
     R"(Desktop.EndDialog(#, 1) -> false, error=4242)"},
    {[](Platform& p, Machine&) { return Show(p.desktop.GetDlgItem(0x999, IDOK)); },
     R"(Desktop.GetDlgItem(2457, 1) -> 0, error=4242)"},
    {[](Platform& p, Machine& m) {
       return Show(p.desktop.DefaultProcessing(Mixer(m), 0x0F, 0, 0));
     },
     R"(Desktop.DefaultProcessing(#, 15, 0, 0) -> 0)"},
    {[](Platform& p, Machine& m) { return Show(p.desktop.GetSystemMenu(Mixer(m))); },
     R"(Desktop.GetSystemMenu(#) -> #)"},
    {[](Platform& p, Machine& m) {
       return Show(p.desktop.AppendMenu(Mixer(m), MF_STRING, 16, "&About..."));
     },
     R"(Desktop.AppendMenu(#, 0, 16, "&About...") -> true)"},
    {[](Platform& p, Machine&) { return Show(p.desktop.LoadString(IDS_ABOUTBOX)); },
     R"(Desktop.LoadString(101) -> "&About Setup...")"},
    {[](Platform& p, Machine&) { return Show(p.desktop.LoadIcon(IDR_MAINFRAME)); },
     R"(Desktop.LoadIcon(128) -> 4736)"},
    {[](Platform& p, Machine& m) {
       p.desktop.PaintIconic(Mixer(m), 0x1280, 3, -4);
       return Show(m.desktop.iconPaints.size());
     },
     R"(Desktop.PaintIconic(#, 4736, 3, -4))"},
    {[](Platform& p, Machine&) {
       return Show(p.desktop.MessageBox(0, "One\r\nTwo", "Setup", 0x10));
     },
     R"(Desktop.MessageBox(0, "One%0D%0ATwo", "Setup", 16) -> 1)"},
    {[](Platform& p, Machine&) { return Show(p.desktop.ShowWaitCursor()); },
     R"(Desktop.ShowWaitCursor() -> #)"},
    {[](Platform& p, Machine&) {
       p.desktop.RestoreCursor(0);
       return Show();
     },
     R"(Desktop.RestoreCursor(0))"},
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
     R"(Processes.CreateProcess("%22C:\app.exe%22 /x", 5, ...) -> true)"},
    {[](Platform& p, Machine&) {
       platform::StartedProcess started;
       return Show(p.processes.CreateProcess("C:\\none.exe", SW_SHOW, &started));
     },
     R"(Processes.CreateProcess("C:\none.exe", 5, -) -> false, error=2)"},
    {[](Platform& p, Machine& m) {
       m.processes.HoldMutex("Other");
       return Show(p.processes.CreateNamedMutex("Other"));
     },
     R"(Processes.CreateNamedMutex("Other") -> #)"},
    {[](Platform& p, Machine&) { return Show(p.processes.WinExec("C:\\none.exe", SW_SHOW)); },
     R"(Processes.WinExec("C:\none.exe", 5) -> 2)"},
    {[](Platform& p, Machine& m) {
       platform::StartedProcess started;
       m.processes.CreateProcess("C:\\app.exe", SW_SHOW, &started);
       return Show(p.processes.WaitForInputIdle(started.process, 10000), m.clock.Now());
     },
     R"(Processes.WaitForInputIdle(#, 10000) -> 0)"},
    {[](Platform& p, Machine& m) {
       platform::StartedProcess started;
       m.processes.CreateProcess("C:\\app.exe", SW_SHOW, &started);
       uint32_t code = 0;
       return Show(p.processes.GetExitCodeProcess(started.process, &code), code);
     },
     R"(Processes.GetExitCodeProcess(#, 0) -> true)"},
    // Setup services, configuration manager, mixers.
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = p.devices.GetClassDevs(DIGCF_PRESENT | DIGCF_ALLCLASSES);
       m.devices.DestroyDeviceInfoList(set);
       return Show(set);
     },
     R"(DeviceSetup.GetClassDevs(6) -> #)"},
    {[](Platform& p, Machine& m) {
       m.devices.classDevsFails = true;
       return Show(p.devices.GetClassDevs(DIGCF_PRESENT));
     },
     R"(DeviceSetup.GetClassDevs(2) -> #, error=#)"},
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = m.devices.GetClassDevs(DIGCF_PRESENT);
       platform::DevInfoData data;
       const bool first = p.devices.EnumDeviceInfo(set, 0, &data);
       m.devices.DestroyDeviceInfoList(set);
       return Show(first, data.index, data.devInst);
     },
     R"(DeviceSetup.EnumDeviceInfo(#, 0, device 0/#) -> true)"},
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = m.devices.GetClassDevs(DIGCF_PRESENT);
       platform::DevInfoData data;
       const bool beyond = p.devices.EnumDeviceInfo(set, 1, &data);
       m.devices.DestroyDeviceInfoList(set);
       return Show(beyond);
     },
     R"(DeviceSetup.EnumDeviceInfo(#, 1, -) -> false, error=259)"},
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
     R"(DeviceSetup.GetDeviceRegistryProperty(#, device 0/#, 1, buffer, 64, 23) -> true)"},
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
     R"(DeviceSetup.GetDeviceRegistryProperty(#, device 0/#, 1, -, 0, -) -> false, error=122)"},
    {[](Platform& p, Machine& m) {
       const platform::DevInfoSet set = m.devices.GetClassDevs(DIGCF_PRESENT);
       platform::DevInfoData data;
       m.devices.EnumDeviceInfo(set, 0, &data);
       const bool ok = p.devices.RemoveDevice(set, data);
       m.devices.DestroyDeviceInfoList(set);
       return Show(ok, m.devices.RemovedDevices().size());
     },
     R"(DeviceSetup.RemoveDevice(#, device 0/#) -> true)"},
    {[](Platform& p, Machine& m) {
       return Show(p.devices.DestroyDeviceInfoList(m.devices.GetClassDevs(DIGCF_PRESENT)));
     },
     R"(DeviceSetup.DestroyDeviceInfoList(#) -> true)"},
    {[](Platform& p, Machine&) {
       return Show(p.devices.CopyOEMInf(kStagedInf, "C:\\Program Files\\Quarnex\\WIN_ME",
                                        SPOST_PATH, SP_COPY_DELETESOURCE));
     },
     R"(DeviceSetup.CopyOEMInf("C:\Program Files\Quarnex\WIN_ME\QXAUDIO.INF", "C:\Program Files\Quarnex\WIN_ME", 1, 1) -> true)"},
    {[](Platform& p, Machine&) { return Show(p.devices.CopyOEMInf("C:\\X.INF", "C:\\", 1, 0)); },
     R"(DeviceSetup.CopyOEMInf("C:\X.INF", "C:\", 1, 0) -> false, error=2)"},
    {[](Platform& p, Machine&) {
       return Show(p.devices.UninstallOEMInf("oem9.inf", SUOI_FORCEDELETE));
     },
     R"(DeviceSetup.UninstallOEMInf("oem9.inf", 1) -> false, error=2)"},
    {[](Platform& p, Machine& m) {
       platform::SourceList list;
       const bool ok = p.devices.QuerySourceList(SRCLIST_USER, &list);
       m.devices.FreeSourceList(&list);
       return Show(ok);
     },
     R"(DeviceSetup.QuerySourceList(32, ...) -> true)"},
    {[](Platform& p, Machine& m) {
       return Show(p.devices.SetSourceList(SRCLIST_SYSTEM, {"D:\\I386", "C:\\Q"}),
                   m.devices.sourceList.size());
     },
     R"(DeviceSetup.SetSourceList(16, ["D:\I386", "C:\Q"]) -> true)"},
    {[](Platform& p, Machine& m) {
       platform::SourceList list;
       m.devices.QuerySourceList(SRCLIST_USER, &list);
       return Show(p.devices.FreeSourceList(&list));
     },
     R"(DeviceSetup.FreeSourceList(...) -> true)"},
    {[](Platform& p, Machine&) {
       uint32_t root = 0;
       return Show(p.devices.LocateRootDevNode(CM_LOCATE_DEVNODE_NORMAL, &root), root);
     },
     R"(DeviceSetup.LocateRootDevNode(0, #) -> 0)"},
    {[](Platform& p, Machine& m) {
       return Show(p.devices.ReenumerateDevNode(1, CM_REENUMERATE_NORMAL),
                   m.devices.reenumerations);
     },
     R"(DeviceSetup.ReenumerateDevNode(1, 0) -> 0)"},
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
     R"(System.IsDBCSLeadByte(129) -> false)"},
    {[](Platform& p, Machine& m) {
       p.system.OutputDebugString("waited");
       return Show(m.system.debugOutput.at(0));
     },
     R"(System.OutputDebugString("waited"))"},
    {[](Platform& p, Machine&) { return Show(p.system.FormatMessage(5)); },
     R"(System.FormatMessage(5) -> "Access is denied.%0D%0A")"},
    {[](Platform& p, Machine&) {
       platform::TokenHandle token = 0;
       return Show(p.security.OpenProcessTokenForAdjust(&token), token);
     },
     R"(Security.OpenProcessTokenForAdjust(28672) -> true)"},
    {[](Platform& p, Machine&) {
       platform::Luid luid;
       return Show(p.security.LookupPrivilegeValue("SeShutdownPrivilege", &luid), luid.lowPart);
     },
     R"(Security.LookupPrivilegeValue("SeShutdownPrivilege", ...) -> true)"},
    {[](Platform& p, Machine&) {
       platform::Luid luid;
       return Show(p.security.LookupPrivilegeValue("SeNone", &luid));
     },
     R"(Security.LookupPrivilegeValue("SeNone", -) -> false, error=1313)"},
    {[](Platform& p, Machine&) {
       return Show(p.security.EnableTokenPrivilege(0x7000, {19, 0}));
     },
     R"(Security.EnableTokenPrivilege(28672, ...) -> true)"},
    {[](Platform& p, Machine& m) {
       p.security.CloseHandle(0x7000);
       return Show(m.security.openTokens);
     },
     R"(Security.CloseHandle(28672))"},
    {[](Platform& p, Machine& m) {
       m.security.exitWindowsFails = true;
       return Show(p.security.ExitWindowsEx(EWX_REBOOT, 0));
     },
     R"(Security.ExitWindowsEx(2, 0) -> false, error=5)"},
};

TEST(ObservedPlatform, EachCallReachesThePlatformAndItsObserverOnceUnderItsOwnName) {
  for (const EachMethod& method : kEachMethod) {
    SCOPED_TRACE(method.line);
    Machine plain;
    Furnish(plain);
    plain.lastError.code = kLastErrorBefore;
    const std::string expected = method.call(plain.platform(), plain);

    Machine machine;
    Furnish(machine);
    RecordingObserver observer;
    observation::ObservedPlatform observed(machine.platform(), observer);
    machine.lastError.code = kLastErrorBefore;
    EXPECT_EQ(method.call(observed.platform(), machine), expected);

    EXPECT_EQ(machine.lastError.code, plain.lastError.code);
    EXPECT_EQ(machine.journal.Lines(), plain.journal.Lines());
    EXPECT_EQ(machine.clock.Now(), plain.clock.Now());
    ASSERT_EQ(observer.lines.size(), 1u) << testing::PrintToString(observer.lines);
    EXPECT_PRED2(Matches, observer.lines[0], method.line);
  }
}

TEST(ObservedPlatform, AStreamIsObservedUnderItsPath) {
  Machine plain;
  Machine machine;
  for (Machine* m : {&plain, &machine}) m->files.AddFile("C:\\a.ini", "[A]\r\nB=1\r\n");
  RecordingObserver observer;
  observation::ObservedPlatform observed(machine.platform(), observer);

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
  EXPECT_EQ(use(observed.platform()), use(plain.platform()));
  EXPECT_EQ(machine.files.Contents("C:\\a.ini"), plain.files.Contents("C:\\a.ini"));

  EXPECT_EQ(observer.lines, (std::vector<std::string>{
                                R"(FileSystem.OpenStream("C:\a.ini", "r+b") -> opened)",
                                R"(Stream.GetLine("C:\a.ini", "[A]%0D%0A", 80) -> true)",
                                R"(Stream.Tell("C:\a.ini") -> 5)",
                                R"(Stream.Seek("C:\a.ini", 0, 2) -> true)",
                                R"(Stream.PutChar("C:\a.ini", "x") -> true)",
                                R"(Stream.Flush("C:\a.ini") -> true)",
                            }));
}

// Makes the first call of one method fail, as failure injection will: before
// the call, so the platform never sees it.
class FailingFirst : public observation::CallObserver {
 public:
  FailingFirst(const char* method, uint32_t error) : m_method(method), m_error(error) {}
  void Before(observation::SeamCall& call) override {
    if (m_done || call.GetMethod().name != std::string(m_method)) return;
    m_done = true;
    replaced = call.ReplaceResult(false);
    call.SetLastError(m_error);
    const std::string* from = call.Argument<std::string>(0);
    source = from != nullptr ? *from : "?";
  }
  void After(observation::SeamCall& call) override {
    if (call.Replaced()) failedLine = observation::Describe(call);
  }
  bool replaced = false;
  std::string source, failedLine;

 private:
  const char* m_method;
  uint32_t m_error;
  bool m_done = false;
};

TEST(ObservedPlatform, AResultReplacedBeforeTheCallIsWhatTheProgramGetsAndThePlatformIsNotCalled) {
  Machine machine;
  machine.files.AddFile("C:\\a.txt", "a");
  FailingFirst observer("CopyFile", ERROR_SHARING_VIOLATION);
  observation::ObservedPlatform observed(machine.platform(), observer);
  platform::FileSystem& files = observed.platform().files;

  EXPECT_FALSE(files.CopyFile("C:\\a.txt", "C:\\b.txt", false));
  EXPECT_EQ(observed.platform().system.GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(machine.files.FileExists("C:\\b.txt"));
  EXPECT_TRUE(observer.replaced);
  EXPECT_EQ(observer.source, "C:\\a.txt");
  EXPECT_EQ(observer.failedLine,
            R"(FileSystem.CopyFile("C:\a.txt", "C:\b.txt", false) -> false, error=32)");

  EXPECT_TRUE(files.CopyFile("C:\\a.txt", "C:\\b.txt", false)) << "only the first call fails";
  EXPECT_TRUE(machine.files.FileExists("C:\\b.txt"));
}

TEST(ObservedPlatform, ArgumentsAndResultAreReachedOnlyAsTheirOwnTypes) {
  struct Probe : observation::CallObserver {
    void After(observation::SeamCall& call) override {
      asInt = call.Argument<int>(0);
      asText = call.ReplaceResult(std::string("x"));
      flags = *call.Argument<uint32_t>(0);
      call.ReplaceResult(uint32_t{7});
    }
    const int* asInt = nullptr;
    bool asText = true;
    uint32_t flags = 0;
  } probe;
  Machine machine;
  observation::ObservedPlatform observed(machine.platform(), probe);
  uint32_t root = 0;
  EXPECT_EQ(observed.platform().devices.LocateRootDevNode(3, &root), 7u);
  EXPECT_EQ(probe.asInt, nullptr);
  EXPECT_FALSE(probe.asText);
  EXPECT_EQ(probe.flags, 3u);
}

}  // namespace
