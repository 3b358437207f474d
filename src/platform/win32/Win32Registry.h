// Registry on the Win32 registry functions.
#pragma once

#include "platform/Registry.h"

namespace platform {

class Win32Registry final : public Registry {
 public:
  uint32_t OpenKey(Hive hive, const std::string& subKey, uint32_t access, RegKey* key) override;
  uint32_t CreateKey(Hive hive, const std::string& subKey, uint32_t access, RegKey* key) override;
  uint32_t DeleteKey(Hive hive, const std::string& subKey) override;
  uint32_t QueryValue(RegKey key, const std::string& name, uint32_t bufferSize, std::string* data,
                      uint32_t* type) override;
  uint32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                    const std::string& data) override;
  uint32_t DeleteValue(RegKey key, const std::string& name) override;
  void CloseKey(RegKey key) override;
};

}  // namespace platform
