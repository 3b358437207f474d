// Clock, version, last-error code, privileges and shutdown.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Handles.h"

namespace platform {

struct OsVersion {
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint32_t buildNumber = 0;
  uint32_t platformId = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // SleepEx(milliseconds, FALSE).
  virtual void Sleep(uint32_t milliseconds) = 0;
  // GetTickCount: milliseconds since Windows started (wraps after 49.7 days).
  virtual uint32_t GetTickCount() = 0;
};

class System {
 public:
  virtual ~System() = default;
  // GetVersionExA with an OSVERSIONINFOA of 148 bytes.
  virtual OsVersion GetVersion() = 0;
  virtual uint32_t GetLastError() = 0;
  virtual void SetLastError(uint32_t code) = 0;
  // FormatMessageA from the system's message table, inserts ignored: the
  // system's text for an error code, empty when it has none.
  virtual std::string FormatMessage(uint32_t error) = 0;
  // IsDBCSLeadByte: whether byte starts a double-byte character in the
  // system's ANSI code page (Japanese, Chinese and Korean systems).
  virtual bool IsDBCSLeadByte(uint8_t byte) = 0;
  // OutputDebugStringA: a line for a debugger watching the program; the
  // diagnostic log writes it too.
  virtual void OutputDebugString(const std::string& text) = 0;
};

struct Luid {
  uint32_t lowPart = 0;
  int32_t highPart = 0;
};

class Security {
 public:
  virtual ~Security() = default;
  // OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, ...).
  virtual bool OpenProcessTokenForAdjust(TokenHandle* token) = 0;
  // LookupPrivilegeValueA on the local system.
  virtual bool LookupPrivilegeValue(const std::string& name, Luid* luid) = 0;
  // AdjustTokenPrivileges enabling one privilege, no previous state.
  virtual bool EnableTokenPrivilege(TokenHandle token, const Luid& luid) = 0;
  virtual void CloseHandle(TokenHandle token) = 0;
  virtual bool ExitWindowsEx(uint32_t flags, uint32_t reserved) = 0;
};

}  // namespace platform
