// Profile-file calls, forwarded and logged.
#pragma once

#include "diagnostics/CallLog.h"
#include "platform/ProfileFiles.h"

namespace diagnostics {

class LoggedProfileFiles final : public platform::ProfileFiles {
 public:
  LoggedProfileFiles(platform::ProfileFiles& inner, CallLog& log) : m_inner(inner), m_log(log) {}

  uint32_t GetInt(const std::string& section, const std::string& key, int defaultValue,
                  const std::string& file) override;
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue, uint32_t bufferSize,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;

 private:
  platform::ProfileFiles& m_inner;
  CallLog& m_log;
};

}  // namespace diagnostics
