// Registry calls, forwarded and logged. The functions return their error
// codes, so no last-error code is logged.
#pragma once

#include "diagnostics/CallLog.h"
#include "platform/Registry.h"

namespace diagnostics {

class LoggedRegistry final : public platform::Registry {
 public:
  LoggedRegistry(platform::Registry& inner, CallLog& log) : m_inner(inner), m_log(log) {}

  uint32_t OpenKey(platform::Hive hive, const std::string& subKey, uint32_t access,
                   platform::RegKey* key) override;
  uint32_t QueryValue(platform::RegKey key, const std::string& name, uint32_t bufferSize,
                      std::string* data, uint32_t* type) override;
  uint32_t SetValue(platform::RegKey key, const std::string& name, uint32_t type,
                    const std::string& data) override;
  uint32_t DeleteValue(platform::RegKey key, const std::string& name) override;
  void CloseKey(platform::RegKey key) override;

 private:
  platform::Registry& m_inner;
  CallLog& m_log;
};

}  // namespace diagnostics
