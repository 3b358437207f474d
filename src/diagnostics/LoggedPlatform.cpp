#include "diagnostics/LoggedPlatform.h"

#include "common/ProgramDirectory.h"

namespace diagnostics {

LoggedPlatform::LoggedPlatform(platform::Platform& inner, LogSink& sink)
    : m_inner(inner),
      m_log(sink, inner.clock, inner.system),
      m_registry(inner.registry, m_log),
      m_profiles(inner.profiles, m_log),
      m_files(inner.files, m_log),
      m_desktop(inner.desktop, m_log),
      m_processes(inner.processes, m_log),
      m_devices(inner.devices, m_log),
      m_clock(inner.clock, m_log),
      m_system(inner.system, m_log),
      m_security(inner.security, m_log),
      m_platform{m_registry, m_profiles, m_files,  m_desktop, m_processes,
                 m_devices,  m_clock,    m_system, m_security} {}

void LoggedPlatform::Start() {
  const uint32_t lastError = m_inner.system.GetLastError();
  const std::string text = std::string("W2KSetup ") + kProgramVersion + " start: command line " +
                           Quoted(m_inner.processes.GetCommandLine()) + ", Windows " +
                           VersionText(m_inner.system.GetVersion()) + ", program directory " +
                           Quoted(ProgramDirectory(m_inner));
  m_inner.system.SetLastError(lastError);
  m_log.Write(text);
}

}  // namespace diagnostics
