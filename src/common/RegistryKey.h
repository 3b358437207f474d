// Registry work as every subsystem does it: a key that closes itself, a text
// value read as the program reads text, and the deletion of a logon entry.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Registry.h"

// An open registry key, closed when the object goes out of scope.
class RegistryKey {
 public:
  explicit RegistryKey(platform::Registry& registry) : m_registry(registry) {}
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // RegOpenKeyExA; true when the key opened. A key already open is closed first.
  bool Open(platform::Hive hive, const std::string& subKey, uint32_t access);
  // RegCreateKeyExA: the same, creating the key when it is missing.
  bool Create(platform::Hive hive, const std::string& subKey, uint32_t access);
  platform::RegKey Handle() const { return m_key; }

  // The value's text up to its first zero: a value that fills the buffer may
  // carry no terminating zero, and then ends with the bytes read. False when
  // the value cannot be read into bufferSize bytes.
  bool ReadText(const std::string& name, uint32_t bufferSize, std::string* text);
  // REG_SZ with its terminating zero, and REG_DWORD; ERROR_SUCCESS or the error.
  uint32_t WriteText(const std::string& name, const std::string& text);
  uint32_t WriteNumber(const std::string& name, uint32_t number);

 private:
  void Close();

  platform::Registry& m_registry;
  platform::RegKey m_key = 0;
  bool m_open = false;
};

// Deletes an entry of the Run key (HKEY_LOCAL_MACHINE); an entry already gone
// is fine. ERROR_SUCCESS when the Run key opened with full access, else the
// error of the open (ERROR_ACCESS_DENIED without administrator rights).
uint32_t DeleteRunValue(platform::Registry& registry, const char* valueName);
