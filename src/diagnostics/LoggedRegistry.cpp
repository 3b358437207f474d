#include "diagnostics/LoggedRegistry.h"

namespace diagnostics {

namespace {

const char* HiveName(platform::Hive hive) {
  switch (hive) {
    case platform::Hive::LocalMachine:
      return "HKLM";
    case platform::Hive::CurrentUser:
      return "HKCU";
    case platform::Hive::Users:
      return "HKU";
  }
  return "?";
}

}  // namespace

uint32_t LoggedRegistry::OpenKey(platform::Hive hive, const std::string& subKey, uint32_t access,
                                 platform::RegKey* key) {
  const uint32_t result = m_inner.OpenKey(hive, subKey, access, key);
  CallLine line("Registry.OpenKey");
  line.Text(std::string(HiveName(hive)) + "\\" + subKey).Hex(access, "access");
  line.ReturnsNumber(result);
  if (result == 0) line.Out("key", Hex(*key));
  m_log.Write(line);
  return result;
}

uint32_t LoggedRegistry::QueryValue(platform::RegKey key, const std::string& name,
                                    uint32_t bufferSize, std::string* data, uint32_t* type) {
  const uint32_t result = m_inner.QueryValue(key, name, bufferSize, data, type);
  CallLine line("Registry.QueryValue");
  line.Hex(key).Text(name).Number(bufferSize, "bufferSize").ReturnsNumber(result);
  if (result == 0) line.Out("type", std::to_string(*type)).Out("data", Quoted(*data));
  m_log.Write(line);
  return result;
}

uint32_t LoggedRegistry::SetValue(platform::RegKey key, const std::string& name, uint32_t type,
                                  const std::string& data) {
  const uint32_t result = m_inner.SetValue(key, name, type, data);
  m_log.Write(CallLine("Registry.SetValue")
                  .Hex(key)
                  .Text(name)
                  .Number(type, "type")
                  .Text(data, "data")
                  .ReturnsNumber(result));
  return result;
}

uint32_t LoggedRegistry::DeleteValue(platform::RegKey key, const std::string& name) {
  const uint32_t result = m_inner.DeleteValue(key, name);
  m_log.Write(CallLine("Registry.DeleteValue").Hex(key).Text(name).ReturnsNumber(result));
  return result;
}

void LoggedRegistry::CloseKey(platform::RegKey key) {
  m_inner.CloseKey(key);
  m_log.Write(CallLine("Registry.CloseKey").Hex(key).Returns());
}

}  // namespace diagnostics
