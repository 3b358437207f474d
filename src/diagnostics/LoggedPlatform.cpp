#include "diagnostics/LoggedPlatform.h"

#include "common/ProgramDirectory.h"
#include "common/SharedNames.h"
#include "observation/ValueText.h"

namespace diagnostics {

void LoggedPlatform::Start() {
  const uint32_t lastError = m_inner.system.GetLastError();
  const std::string text = std::string("W2KSetup ") + shared::kProgramVersion +
                           " start: command line " +
                           observation::Text(m_inner.processes.GetCommandLine()) + ", Windows " +
                           observation::Text(m_inner.system.GetVersion()) + ", program directory " +
                           observation::Text(ProgramDirectory(m_inner));
  m_inner.system.SetLastError(lastError);
  m_log.Write(text);
}

}  // namespace diagnostics
