#include "fake/FakeSystem.h"

#include "platform/WinApi.h"

namespace fake {

void FakeClock::Sleep(uint32_t milliseconds) {
  m_sleeps.push_back(milliseconds);
  m_now += milliseconds;
  m_journal.Add("sleep " + std::to_string(milliseconds));
}

uint64_t FakeClock::TotalSlept() const {
  uint64_t total = 0;
  for (uint32_t ms : m_sleeps) total += ms;
  return total;
}

// The English system texts of the errors the tests meet, with the line end
// Windows puts after each; other codes have none.
std::string FakeSystem::FormatMessage(uint32_t error) {
  switch (error) {
    case 2:
      return "The system cannot find the file specified.\r\n";
    case 5:
      return "Access is denied.\r\n";
    case 32:
      return "The process cannot access the file because it is being used by another "
             "process.\r\n";
    case 112:
      return "There is not enough space on the disk.\r\n";
    default:
      return std::string();
  }
}

bool FakeSystem::IsDBCSLeadByte(uint8_t byte) {
  // Shift-JIS lead bytes.
  return m_codePage == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

bool FakeSecurity::OpenProcessTokenForAdjust(platform::TokenHandle* token) {
  if (openTokenError) {
    m_lastError.code = openTokenError;
    return false;
  }
  *token = 0x7000;
  ++openTokens;
  return true;
}

bool FakeSecurity::LookupPrivilegeValue(const std::string& name, platform::Luid* luid) {
  for (size_t i = 0; i < m_privilegeNames.size(); ++i) {
    if (m_privilegeNames[i] == name) {
      luid->lowPart = static_cast<uint32_t>(i + 19);
      luid->highPart = 0;
      return true;
    }
  }
  m_lastError.code = ERROR_NO_SUCH_PRIVILEGE;
  return false;
}

bool FakeSecurity::EnableTokenPrivilege(platform::TokenHandle, const platform::Luid& luid) {
  if (adjustFails) {
    m_lastError.code = ERROR_ACCESS_DENIED;
    return false;
  }
  enabledPrivileges.push_back(m_privilegeNames.at(luid.lowPart - 19));
  m_journal.Add("privilege " + enabledPrivileges.back());
  return true;
}

void FakeSecurity::CloseHandle(platform::TokenHandle) { --openTokens; }

bool FakeSecurity::ExitWindowsEx(uint32_t flags, uint32_t) {
  exitWindowsFlags.push_back(flags);
  m_journal.Add("exitwindows " + std::to_string(flags));
  if (exitWindowsFails) {
    m_lastError.code = ERROR_ACCESS_DENIED;
    return false;
  }
  return true;
}

}  // namespace fake
