#include "platform/win32/Win32ProfileFiles.h"

#include <vector>

#include "platform/win32/Win32Windows.h"

namespace platform {

uint32_t Win32ProfileFiles::GetInt(const std::string& section, const std::string& key,
                                   int defaultValue, const std::string& file) {
  return ::GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, file.c_str());
}

std::string Win32ProfileFiles::GetString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue, uint32_t bufferSize,
                                         const std::string& file) {
  if (bufferSize == 0) return std::string();
  std::vector<char> buffer(bufferSize);
  DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                            buffer.data(), bufferSize, file.c_str());
  if (length >= bufferSize) length = bufferSize - 1;
  return std::string(buffer.data(), length);
}

bool Win32ProfileFiles::WriteString(const std::string& section, const std::string& key,
                                    const std::string& value, const std::string& file) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

}  // namespace platform
