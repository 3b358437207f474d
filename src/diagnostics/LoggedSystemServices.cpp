#include "diagnostics/LoggedSystemServices.h"

namespace diagnostics {

namespace {

std::string LuidText(const platform::Luid& luid) {
  return Hex(static_cast<uint32_t>(luid.highPart)) + ":" + Hex(luid.lowPart);
}

}  // namespace

std::string VersionText(const platform::OsVersion& version) {
  return std::to_string(version.majorVersion) + "." + std::to_string(version.minorVersion) + "." +
         std::to_string(version.buildNumber) + " platform " + std::to_string(version.platformId);
}

void LoggedClock::Sleep(uint32_t milliseconds) {
  m_inner.Sleep(milliseconds);
  m_log.Write(CallLine("Clock.Sleep").Number(milliseconds).Returns());
}

uint32_t LoggedClock::GetTickCount() {
  const uint32_t result = m_inner.GetTickCount();
  m_log.Write(CallLine("Clock.GetTickCount").ReturnsNumber(result));
  return result;
}

platform::OsVersion LoggedSystem::GetVersion() {
  const platform::OsVersion version = m_inner.GetVersion();
  m_log.Write(CallLine("System.GetVersion").ReturnsFormatted(VersionText(version)));
  return version;
}

uint32_t LoggedSystem::GetLastError() {
  const uint32_t code = m_inner.GetLastError();
  m_log.Write(CallLine("System.GetLastError").ReturnsFormatted(Code(code)));
  return code;
}

void LoggedSystem::SetLastError(uint32_t code) {
  m_inner.SetLastError(code);
  m_log.Write(CallLine("System.SetLastError").Argument(Code(code)).Returns());
}

bool LoggedSystem::IsDBCSLeadByte(uint8_t byte) {
  const bool result = m_inner.IsDBCSLeadByte(byte);
  m_log.Write(CallLine("System.IsDBCSLeadByte").Hex(byte).Returns(result));
  return result;
}

std::string LoggedSystem::FormatMessage(uint32_t error) {
  const std::string text = m_inner.FormatMessage(error);
  m_log.Write(CallLine("System.FormatMessage").Argument(Code(error)).ReturnsText(text));
  return text;
}

bool LoggedSecurity::OpenProcessTokenForAdjust(platform::TokenHandle* token) {
  const bool ok = m_inner.OpenProcessTokenForAdjust(token);
  const uint32_t error = m_log.LastError();
  CallLine line("Security.OpenProcessTokenForAdjust");
  line.Returns(ok);
  if (ok) line.Out("token", Hex(*token));
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

bool LoggedSecurity::LookupPrivilegeValue(const std::string& name, platform::Luid* luid) {
  const bool ok = m_inner.LookupPrivilegeValue(name, luid);
  const uint32_t error = m_log.LastError();
  CallLine line("Security.LookupPrivilegeValue");
  line.Text(name).Returns(ok);
  if (ok) line.Out("luid", LuidText(*luid));
  m_log.Write(line.ErrorIf(!ok, error));
  return ok;
}

bool LoggedSecurity::EnableTokenPrivilege(platform::TokenHandle token, const platform::Luid& luid) {
  const bool ok = m_inner.EnableTokenPrivilege(token, luid);
  // Set on success too: ERROR_NOT_ALL_ASSIGNED when the privilege is not held.
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("Security.EnableTokenPrivilege")
                  .Hex(token)
                  .Argument(LuidText(luid), "luid")
                  .Returns(ok)
                  .Error(error));
  return ok;
}

void LoggedSecurity::CloseHandle(platform::TokenHandle token) {
  m_inner.CloseHandle(token);
  m_log.Write(CallLine("Security.CloseHandle").Hex(token).Returns());
}

bool LoggedSecurity::ExitWindowsEx(uint32_t flags, uint32_t reserved) {
  const bool ok = m_inner.ExitWindowsEx(flags, reserved);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("Security.ExitWindowsEx")
                  .Hex(flags, "flags")
                  .Hex(reserved, "reserved")
                  .Returns(ok)
                  .ErrorIf(!ok, error));
  return ok;
}

}  // namespace diagnostics
