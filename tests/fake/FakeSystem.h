// The fake clock (virtual time; every sleep is recorded and costs nothing),
// version information, the last-error code, the process token and shutdown.
#pragma once

#include <string>
#include <vector>

#include "fake/Journal.h"
#include "platform/SystemServices.h"

namespace fake {

class FakeClock : public platform::Clock {
 public:
  explicit FakeClock(Journal& journal) : m_journal(journal) {}
  void Sleep(uint32_t milliseconds) override;
  // The virtual time, wrapping as Windows' tick count does.
  uint32_t GetTickCount() override { return static_cast<uint32_t>(m_now); }
  // Time that passes inside another call (a wait); not a sleep of the program.
  void Advance(uint64_t milliseconds) { m_now += milliseconds; }

  uint64_t Now() const { return m_now; }
  const std::vector<uint32_t>& Sleeps() const { return m_sleeps; }
  uint64_t TotalSlept() const;

 private:
  Journal& m_journal;
  uint64_t m_now = 0;
  std::vector<uint32_t> m_sleeps;
};

// Windows versions as GetVersionExA reports them.
namespace versions {
constexpr platform::OsVersion kWindows95{4, 0, 950, 1};
constexpr platform::OsVersion kWindows98{4, 10, 1998, 1};
constexpr platform::OsVersion kWindowsMe{4, 90, 3000, 1};
constexpr platform::OsVersion kWindowsNt4{4, 0, 1381, 2};
constexpr platform::OsVersion kWindows2000{5, 0, 2195, 2};
constexpr platform::OsVersion kWindowsXp{5, 1, 2600, 2};
constexpr platform::OsVersion kWindowsVista{6, 0, 6002, 2};
constexpr platform::OsVersion kWindows7{6, 1, 7601, 2};
constexpr platform::OsVersion kWindows10{10, 0, 19045, 2};
}  // namespace versions

class FakeSystem : public platform::System {
 public:
  explicit FakeSystem(LastError& lastError) : m_lastError(lastError) {}
  platform::OsVersion GetVersion() override { return m_version; }
  uint32_t GetLastError() override { return m_lastError.code; }
  void SetLastError(uint32_t code) override { m_lastError.code = code; }
  bool IsDBCSLeadByte(uint8_t byte) override;
  std::string FormatMessage(uint32_t error) override;
  void OutputDebugString(const std::string& text) override { debugOutput.push_back(text); }

  // What the program said to a debugger, line by line.
  std::vector<std::string> debugOutput;

  void SetVersion(const platform::OsVersion& version) { m_version = version; }
  // The ANSI code page: 1252 (no double-byte characters) or 932 (Japanese).
  void SetCodePage(int codePage) { m_codePage = codePage; }

 private:
  LastError& m_lastError;
  platform::OsVersion m_version = versions::kWindowsXp;
  int m_codePage = 1252;
};

class FakeSecurity : public platform::Security {
 public:
  FakeSecurity(Journal& journal, LastError& lastError)
      : m_journal(journal), m_lastError(lastError) {}

  bool OpenProcessTokenForAdjust(platform::TokenHandle* token) override;
  bool LookupPrivilegeValue(const std::string& name, platform::Luid* luid) override;
  bool EnableTokenPrivilege(platform::TokenHandle token, const platform::Luid& luid) override;
  void CloseHandle(platform::TokenHandle token) override;
  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override;

  // Test controls.
  uint32_t openTokenError = 0;  // nonzero: OpenProcessToken fails with it
  bool adjustFails = false;
  bool exitWindowsFails = false;
  // Observations.
  std::vector<std::string> enabledPrivileges;
  std::vector<uint32_t> exitWindowsFlags;
  int openTokens = 0;

 private:
  Journal& m_journal;
  LastError& m_lastError;
  std::vector<std::string> m_privilegeNames{"SeShutdownPrivilege", "SeDebugPrivilege"};
};

}  // namespace fake
