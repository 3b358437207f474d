#include "common/RegistryKey.h"

#include "common/SharedNames.h"
#include "platform/WinApi.h"

bool RegistryKey::Open(platform::Hive hive, const std::string& subKey, uint32_t access) {
  Close();
  m_open = m_registry.OpenKey(hive, subKey, access, &m_key) == ERROR_SUCCESS;
  return m_open;
}

bool RegistryKey::Create(platform::Hive hive, const std::string& subKey, uint32_t access) {
  Close();
  m_open = m_registry.CreateKey(hive, subKey, access, &m_key) == ERROR_SUCCESS;
  return m_open;
}

uint32_t RegistryKey::WriteText(const std::string& name, const std::string& text) {
  return m_registry.SetValue(m_key, name, REG_SZ, text + '\0');
}

uint32_t RegistryKey::WriteNumber(const std::string& name, uint32_t number) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((number >> shift) & 0xFF);
  return m_registry.SetValue(m_key, name, REG_DWORD, bytes);
}

bool RegistryKey::ReadText(const std::string& name, uint32_t bufferSize, std::string* text) {
  std::string data;
  uint32_t type = 0;
  if (m_registry.QueryValue(m_key, name, bufferSize, &data, &type) != ERROR_SUCCESS) return false;
  *text = data.substr(0, data.find('\0'));
  return true;
}

void RegistryKey::Close() {
  if (m_open) m_registry.CloseKey(m_key);
  m_open = false;
}

uint32_t DeleteRunValue(platform::Registry& registry, const char* valueName) {
  platform::RegKey key = 0;
  const uint32_t opened =
      registry.OpenKey(platform::Hive::LocalMachine, shared::kRunKeyPath, KEY_ALL_ACCESS, &key);
  if (opened != ERROR_SUCCESS) return opened;
  registry.DeleteValue(key, valueName);
  registry.CloseKey(key);
  return ERROR_SUCCESS;
}
