#include "platform/win32/Win32Registry.h"

#include <vector>

#include "platform/win32/Win32Windows.h"

namespace platform {

namespace {

HKEY RootKey(Hive hive) {
  switch (hive) {
    case Hive::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case Hive::CurrentUser:
      return HKEY_CURRENT_USER;
    case Hive::Users:
      return HKEY_USERS;
  }
  return HKEY_LOCAL_MACHINE;
}

HKEY ToHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

uint32_t Win32Registry::OpenKey(Hive hive, const std::string& subKey, uint32_t access,
                                RegKey* key) {
  HKEY opened = nullptr;
  LONG result = ::RegOpenKeyExA(RootKey(hive), subKey.c_str(), 0, access, &opened);
  if (result == ERROR_SUCCESS) *key = reinterpret_cast<RegKey>(opened);
  return static_cast<uint32_t>(result);
}

uint32_t Win32Registry::CreateKey(Hive hive, const std::string& subKey, uint32_t access,
                                  RegKey* key) {
  HKEY created = nullptr;
  LONG result = ::RegCreateKeyExA(RootKey(hive), subKey.c_str(), 0, nullptr, 0, access, nullptr,
                                  &created, nullptr);
  if (result == ERROR_SUCCESS) *key = reinterpret_cast<RegKey>(created);
  return static_cast<uint32_t>(result);
}

uint32_t Win32Registry::DeleteKey(Hive hive, const std::string& subKey) {
  return static_cast<uint32_t>(::RegDeleteKeyA(RootKey(hive), subKey.c_str()));
}

uint32_t Win32Registry::QueryValue(RegKey key, const std::string& name, uint32_t bufferSize,
                                   std::string* data, uint32_t* type) {
  // One spare byte so that a zero-sized request still passes a buffer: with a
  // null buffer the API would report success instead of ERROR_MORE_DATA.
  std::vector<BYTE> buffer(bufferSize + 1);
  DWORD size = bufferSize;
  DWORD valueType = 0;
  LONG result =
      ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, buffer.data(), &size);
  *type = valueType;
  if (result == ERROR_SUCCESS) {
    data->assign(reinterpret_cast<const char*>(buffer.data()), size);
  } else {
    data->clear();
  }
  return static_cast<uint32_t>(result);
}

uint32_t Win32Registry::SetValue(RegKey key, const std::string& name, uint32_t type,
                                 const std::string& data) {
  return static_cast<uint32_t>(::RegSetValueExA(ToHkey(key), name.c_str(), 0, type,
                                                reinterpret_cast<const BYTE*>(data.data()),
                                                static_cast<DWORD>(data.size())));
}

uint32_t Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  return static_cast<uint32_t>(::RegDeleteValueA(ToHkey(key), name.c_str()));
}

void Win32Registry::CloseKey(RegKey key) { ::RegCloseKey(ToHkey(key)); }

}  // namespace platform
