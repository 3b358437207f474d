// Profile (INI) files on the Win32 private-profile functions.
#pragma once

#include "platform/ProfileFiles.h"

namespace platform {

class Win32ProfileFiles final : public ProfileFiles {
 public:
  uint32_t GetInt(const std::string& section, const std::string& key, int defaultValue,
                  const std::string& file) override;
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& defaultValue, uint32_t bufferSize,
                        const std::string& file) override;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;
};

}  // namespace platform
