#include "fake/FakeRegistry.h"

#include "fake/PathText.h"
#include "platform/WinApi.h"

namespace fake {

// Registry calls return their error instead of setting the last error.
FakeRegistry::FakeRegistry(Journal& journal, LastError&) : m_journal(journal) {}

std::string FakeRegistry::PathOf(platform::Hive hive, const std::string& key) {
  const char* root = hive == platform::Hive::LocalMachine  ? "HKLM"
                     : hive == platform::Hive::CurrentUser ? "HKCU"
                                                           : "HKU";
  return Upper(std::string(root) + "\\" + key);
}

void FakeRegistry::CreateKey(platform::Hive hive, const std::string& key) {
  // Every ancestor exists too, as in the real registry.
  std::string path = PathOf(hive, key);
  for (size_t slash = path.find('\\'); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    m_keys[path.substr(0, slash)];
  }
  m_keys[path];
}

void FakeRegistry::RemoveKey(platform::Hive hive, const std::string& key) {
  const std::string path = PathOf(hive, key);
  std::erase_if(m_keys, [&](const auto& entry) {
    return entry.first == path || entry.first.starts_with(path + "\\");
  });
}

void FakeRegistry::SetString(platform::Hive hive, const std::string& key, const std::string& name,
                             const std::string& text) {
  SetRaw(hive, key, name, REG_SZ, text + std::string(1, '\0'));
}

void FakeRegistry::SetRaw(platform::Hive hive, const std::string& key, const std::string& name,
                          uint32_t type, const std::string& bytes) {
  CreateKey(hive, key);
  m_keys[PathOf(hive, key)].values[Upper(name)] = {name, {type, bytes}};
}

std::optional<RegistryValue> FakeRegistry::Value(platform::Hive hive, const std::string& key,
                                                 const std::string& name) const {
  auto k = m_keys.find(PathOf(hive, key));
  if (k == m_keys.end()) return std::nullopt;
  auto v = k->second.values.find(Upper(name));
  if (v == k->second.values.end()) return std::nullopt;
  return v->second.second;
}

bool FakeRegistry::KeyExists(platform::Hive hive, const std::string& key) const {
  return m_keys.count(PathOf(hive, key)) != 0;
}

void FakeRegistry::RemoveValue(platform::Hive hive, const std::string& key,
                               const std::string& name) {
  auto k = m_keys.find(PathOf(hive, key));
  if (k != m_keys.end()) k->second.values.erase(Upper(name));
}

void FakeRegistry::DenyFullAccess(platform::Hive hive, const std::string& key) {
  m_denied.insert(PathOf(hive, key));
}

bool FakeRegistry::FullAccessDenied(platform::Hive hive, const std::string& key) const {
  return m_denied.count(PathOf(hive, key)) != 0;
}

uint32_t FakeRegistry::OpenKey(platform::Hive hive, const std::string& subKey, uint32_t access,
                               platform::RegKey* key) {
  std::string path = PathOf(hive, subKey);
  if (!m_keys.count(path)) return ERROR_FILE_NOT_FOUND;
  if (access != KEY_QUERY_VALUE && m_denied.count(path)) return ERROR_ACCESS_DENIED;
  *key = m_nextHandle++;
  m_open[*key] = {path, access};
  return ERROR_SUCCESS;
}

uint32_t FakeRegistry::CreateKey(platform::Hive hive, const std::string& subKey, uint32_t access,
                                 platform::RegKey* key) {
  const std::string path = PathOf(hive, subKey);
  if (!m_keys.count(path)) {
    // Creating a key writes its parent: a limited user cannot under HKLM.
    const std::string parent = path.substr(0, path.rfind('\\'));
    if (m_denied.count(parent) || m_denied.count(path)) return ERROR_ACCESS_DENIED;
    CreateKey(hive, subKey);
    m_journal.Add("regcreate " + path);
  }
  return OpenKey(hive, subKey, access, key);
}

uint32_t FakeRegistry::DeleteKey(platform::Hive hive, const std::string& subKey) {
  const std::string path = PathOf(hive, subKey);
  if (!m_keys.count(path)) return ERROR_FILE_NOT_FOUND;
  if (m_denied.count(path)) return ERROR_ACCESS_DENIED;
  // Windows NT deletes only a key without subkeys.
  for (const auto& [other, key] : m_keys) {
    if (other.starts_with(path + "\\")) return ERROR_ACCESS_DENIED;
  }
  m_keys.erase(path);
  m_journal.Add("regdeletekey " + path);
  return ERROR_SUCCESS;
}

uint32_t FakeRegistry::QueryValue(platform::RegKey key, const std::string& name,
                                  uint32_t bufferSize, std::string* data, uint32_t* type) {
  auto open = m_open.find(key);
  if (open == m_open.end()) return ERROR_INVALID_HANDLE;
  Key& k = m_keys[open->second.path];
  auto v = k.values.find(Upper(name));
  if (v == k.values.end()) return ERROR_FILE_NOT_FOUND;
  const RegistryValue& value = v->second.second;
  if (type) *type = value.type;
  if (value.data.size() > bufferSize) return ERROR_MORE_DATA;
  *data = value.data;
  return ERROR_SUCCESS;
}

uint32_t FakeRegistry::SetValue(platform::RegKey key, const std::string& name, uint32_t type,
                                const std::string& data) {
  auto open = m_open.find(key);
  if (open == m_open.end()) return ERROR_INVALID_HANDLE;
  if (open->second.access == KEY_QUERY_VALUE) return ERROR_ACCESS_DENIED;
  m_keys[open->second.path].values[Upper(name)] = {name, {type, data}};
  m_journal.Add("regset " + open->second.path + "\\" + name);
  return ERROR_SUCCESS;
}

uint32_t FakeRegistry::DeleteValue(platform::RegKey key, const std::string& name) {
  auto open = m_open.find(key);
  if (open == m_open.end()) return ERROR_INVALID_HANDLE;
  if (open->second.access == KEY_QUERY_VALUE) return ERROR_ACCESS_DENIED;
  if (m_keys[open->second.path].values.erase(Upper(name)) == 0) return ERROR_FILE_NOT_FOUND;
  m_journal.Add("regdelete " + open->second.path + "\\" + name);
  return ERROR_SUCCESS;
}

void FakeRegistry::CloseKey(platform::RegKey key) { m_open.erase(key); }

}  // namespace fake
