// Profile (INI) files through the Windows profile functions.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class ProfileFiles {
 public:
  virtual ~ProfileFiles() = default;

  // GetPrivateProfileIntA.
  virtual uint32_t GetInt(const std::string& section, const std::string& key, int defaultValue,
                          const std::string& file) = 0;
  // GetPrivateProfileStringA into a buffer of bufferSize characters; the
  // result holds at most bufferSize - 1 characters.
  virtual std::string GetString(const std::string& section, const std::string& key,
                                const std::string& defaultValue, uint32_t bufferSize,
                                const std::string& file) = 0;
  // WritePrivateProfileStringA with a text value.
  virtual bool WriteString(const std::string& section, const std::string& key,
                           const std::string& value, const std::string& file) = 0;
};

}  // namespace platform
