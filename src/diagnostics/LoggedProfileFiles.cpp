#include "diagnostics/LoggedProfileFiles.h"

namespace diagnostics {

uint32_t LoggedProfileFiles::GetInt(const std::string& section, const std::string& key,
                                    int defaultValue, const std::string& file) {
  const uint32_t result = m_inner.GetInt(section, key, defaultValue, file);
  m_log.Write(CallLine("ProfileFiles.GetInt")
                  .Text(file)
                  .Text(section)
                  .Text(key)
                  .Number(defaultValue, "default")
                  .ReturnsNumber(result));
  return result;
}

std::string LoggedProfileFiles::GetString(const std::string& section, const std::string& key,
                                          const std::string& defaultValue, uint32_t bufferSize,
                                          const std::string& file) {
  std::string result = m_inner.GetString(section, key, defaultValue, bufferSize, file);
  m_log.Write(CallLine("ProfileFiles.GetString")
                  .Text(file)
                  .Text(section)
                  .Text(key)
                  .Text(defaultValue, "default")
                  .Number(bufferSize, "bufferSize")
                  .ReturnsText(result));
  return result;
}

bool LoggedProfileFiles::WriteString(const std::string& section, const std::string& key,
                                     const std::string& value, const std::string& file) {
  const bool ok = m_inner.WriteString(section, key, value, file);
  const uint32_t error = m_log.LastError();
  m_log.Write(CallLine("ProfileFiles.WriteString")
                  .Text(file)
                  .Text(section)
                  .Text(key)
                  .Text(value)
                  .Returns(ok)
                  .ErrorIf(!ok, error));
  return ok;
}

}  // namespace diagnostics
