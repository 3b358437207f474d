#include "platform/win32/Win32SystemServices.h"

#include "platform/win32/Win32Windows.h"

namespace platform {

static_assert(sizeof(OSVERSIONINFOA) == 148, "GetVersionExA expects the 148-byte structure");

void Win32SystemServices::Sleep(uint32_t milliseconds) { ::SleepEx(milliseconds, FALSE); }

uint32_t Win32SystemServices::GetTickCount() { return ::GetTickCount(); }

OsVersion Win32SystemServices::GetVersion() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  OsVersion version;
  if (!::GetVersionExA(&info)) return version;
  version.majorVersion = info.dwMajorVersion;
  version.minorVersion = info.dwMinorVersion;
  version.buildNumber = info.dwBuildNumber;
  version.platformId = info.dwPlatformId;
  return version;
}

uint32_t Win32SystemServices::GetLastError() { return ::GetLastError(); }

void Win32SystemServices::SetLastError(uint32_t code) { ::SetLastError(code); }

bool Win32SystemServices::IsDBCSLeadByte(uint8_t byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

void Win32SystemServices::OutputDebugString(const std::string& text) {
  ::OutputDebugStringA(text.c_str());
}

bool Win32SystemServices::OpenProcessTokenForAdjust(TokenHandle* token) {
  HANDLE opened = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &opened)) return false;
  *token = reinterpret_cast<TokenHandle>(opened);
  return true;
}

std::string Win32SystemServices::FormatMessage(uint32_t error) {
  char text[1024];
  DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
  return std::string(text, length);
}

bool Win32SystemServices::LookupPrivilegeValue(const std::string& name, Luid* luid) {
  LUID found = {};
  if (!::LookupPrivilegeValueA(nullptr, name.c_str(), &found)) return false;
  luid->lowPart = found.LowPart;
  luid->highPart = found.HighPart;
  return true;
}

bool Win32SystemServices::EnableTokenPrivilege(TokenHandle token, const Luid& luid) {
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid.LowPart = luid.lowPart;
  privileges.Privileges[0].Luid.HighPart = luid.highPart;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  // Succeeds even when the privilege is not held; GetLastError then gives
  // ERROR_NOT_ALL_ASSIGNED.
  return ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &privileges, 0, nullptr,
                                 nullptr) != FALSE;
}

void Win32SystemServices::CloseHandle(TokenHandle token) {
  ::CloseHandle(reinterpret_cast<HANDLE>(token));
}

bool Win32SystemServices::ExitWindowsEx(uint32_t flags, uint32_t reserved) {
  return ::ExitWindowsEx(flags, reserved) != FALSE;
}

}  // namespace platform
