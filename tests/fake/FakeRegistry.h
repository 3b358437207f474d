// An in-memory registry: keys and value names are case-insensitive, keys are
// never created by opening them, values keep exactly the bytes written, and a
// key can be made to refuse full access (a user who is not an administrator).
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "fake/Journal.h"
#include "platform/Registry.h"

namespace fake {

// Where Windows notes the moves it makes at its next start.
constexpr const char* kSessionManagerKey = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingMovesValue = "PendingFileRenameOperations";

struct RegistryValue {
  uint32_t type = 0;
  std::string data;  // the bytes as stored
};

class FakeRegistry : public platform::Registry {
 public:
  FakeRegistry(Journal& journal, LastError& lastError);

  // Seeding and inspection (tests only).
  void CreateKey(platform::Hive hive, const std::string& key);
  // Removes a key with its values and subkeys (a machine that lacks it).
  void RemoveKey(platform::Hive hive, const std::string& key);
  // Stores text with its terminating zero as REG_SZ.
  void SetString(platform::Hive hive, const std::string& key, const std::string& name,
                 const std::string& text);
  void SetRaw(platform::Hive hive, const std::string& key, const std::string& name, uint32_t type,
              const std::string& bytes);
  std::optional<RegistryValue> Value(platform::Hive hive, const std::string& key,
                                     const std::string& name) const;
  bool KeyExists(platform::Hive hive, const std::string& key) const;
  void RemoveValue(platform::Hive hive, const std::string& key, const std::string& name);
  void DenyFullAccess(platform::Hive hive, const std::string& key);
  bool FullAccessDenied(platform::Hive hive, const std::string& key) const;
  // Keys currently open: every open must be matched by a close.
  size_t OpenKeyCount() const { return m_open.size(); }

  // platform::Registry
  uint32_t OpenKey(platform::Hive hive, const std::string& subKey, uint32_t access,
                   platform::RegKey* key) override;
  uint32_t CreateKey(platform::Hive hive, const std::string& subKey, uint32_t access,
                     platform::RegKey* key) override;
  uint32_t DeleteKey(platform::Hive hive, const std::string& subKey) override;
  uint32_t QueryValue(platform::RegKey key, const std::string& name, uint32_t bufferSize,
                      std::string* data, uint32_t* type) override;
  uint32_t SetValue(platform::RegKey key, const std::string& name, uint32_t type,
                    const std::string& data) override;
  uint32_t DeleteValue(platform::RegKey key, const std::string& name) override;
  void CloseKey(platform::RegKey key) override;

 private:
  struct Key {
    std::map<std::string, std::pair<std::string, RegistryValue>> values;  // by upper name
  };
  struct OpenKeyEntry {
    std::string path;
    uint32_t access;
  };
  static std::string PathOf(platform::Hive hive, const std::string& key);

 public:
  // The keys and values as they would survive a power cut.
  using State = std::map<std::string, Key>;
  State SaveState() const { return m_keys; }
  void RestoreState(const State& state) { m_keys = state; }

 private:
  Journal& m_journal;
  std::map<std::string, Key> m_keys;
  std::set<std::string> m_denied;
  std::map<platform::RegKey, OpenKeyEntry> m_open;
  platform::RegKey m_nextHandle = 0x100;
};

}  // namespace fake
