// Clock, version, last-error code, privileges and shutdown on Win32: one
// object serves the three interfaces.
#pragma once

#include "platform/SystemServices.h"

namespace platform {

class Win32SystemServices final : public Clock, public System, public Security {
 public:
  // Clock.
  void Sleep(uint32_t milliseconds) override;
  uint32_t GetTickCount() override;

  // System.
  OsVersion GetVersion() override;
  uint32_t GetLastError() override;
  void SetLastError(uint32_t code) override;
  std::string FormatMessage(uint32_t error) override;
  bool IsDBCSLeadByte(uint8_t byte) override;
  void OutputDebugString(const std::string& text) override;

  // Security.
  bool OpenProcessTokenForAdjust(TokenHandle* token) override;
  bool LookupPrivilegeValue(const std::string& name, Luid* luid) override;
  bool EnableTokenPrivilege(TokenHandle token, const Luid& luid) override;
  void CloseHandle(TokenHandle token) override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;
};

}  // namespace platform
