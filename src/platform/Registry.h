// Registry access, one call per Win32 registry function the program uses.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Handles.h"

namespace platform {

enum class Hive { LocalMachine, CurrentUser, Users };

class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyExA. Returns a Win32 error code; *key is set on success.
  virtual uint32_t OpenKey(Hive hive, const std::string& subKey, uint32_t access, RegKey* key) = 0;
  // RegCreateKeyExA: opens the key, creating it (and the keys above it) when
  // it is missing.
  virtual uint32_t CreateKey(Hive hive, const std::string& subKey, uint32_t access,
                             RegKey* key) = 0;
  // RegDeleteKeyA: deletes a key that has no subkeys, with its values.
  virtual uint32_t DeleteKey(Hive hive, const std::string& subKey) = 0;
  // RegQueryValueExA into a buffer of bufferSize bytes. On success *data holds
  // exactly the bytes stored (a text value may or may not carry its zero) and
  // *type the value type. A value larger than the buffer gives ERROR_MORE_DATA.
  virtual uint32_t QueryValue(RegKey key, const std::string& name, uint32_t bufferSize,
                              std::string* data, uint32_t* type) = 0;
  // RegSetValueExA with the bytes of data as they stand.
  virtual uint32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                            const std::string& data) = 0;
  // RegDeleteValueA.
  virtual uint32_t DeleteValue(RegKey key, const std::string& name) = 0;
  // RegCloseKey.
  virtual void CloseKey(RegKey key) = 0;
};

}  // namespace platform
