// Clock, System and Security calls, forwarded and logged.
#pragma once

#include "diagnostics/CallLog.h"
#include "platform/SystemServices.h"

namespace diagnostics {

class LoggedClock final : public platform::Clock {
 public:
  LoggedClock(platform::Clock& inner, CallLog& log) : m_inner(inner), m_log(log) {}

  void Sleep(uint32_t milliseconds) override;
  uint32_t GetTickCount() override;

 private:
  platform::Clock& m_inner;
  CallLog& m_log;
};

class LoggedSystem final : public platform::System {
 public:
  LoggedSystem(platform::System& inner, CallLog& log) : m_inner(inner), m_log(log) {}

  platform::OsVersion GetVersion() override;
  uint32_t GetLastError() override;
  void SetLastError(uint32_t code) override;
  bool IsDBCSLeadByte(uint8_t byte) override;
  std::string FormatMessage(uint32_t error) override;

 private:
  platform::System& m_inner;
  CallLog& m_log;
};

class LoggedSecurity final : public platform::Security {
 public:
  LoggedSecurity(platform::Security& inner, CallLog& log) : m_inner(inner), m_log(log) {}

  bool OpenProcessTokenForAdjust(platform::TokenHandle* token) override;
  bool LookupPrivilegeValue(const std::string& name, platform::Luid* luid) override;
  bool EnableTokenPrivilege(platform::TokenHandle token, const platform::Luid& luid) override;
  void CloseHandle(platform::TokenHandle token) override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;

 private:
  platform::Security& m_inner;
  CallLog& m_log;
};

// "5.1.2600 platform 2".
std::string VersionText(const platform::OsVersion& version);

}  // namespace diagnostics
