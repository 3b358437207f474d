// Fuzz target: the scan of "SystemFormats" that picks the default sound
// format, on values of any length and type, with or without a zero.
//
// Input: the first byte holds the value's type (bits 0 to 2: REG_SZ,
// REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_NONE, or no value
// at all), whether the default user's key exists (bit 3) and whether the
// current user's audio key exists (bit 4, set: missing); the rest is the
// value's bytes. "DefaultFormat" must be written, whole, for each user whose
// key exists exactly when the value fits the 1024-byte buffer and its text
// (up to the first zero or the end of the bytes) holds a comma-terminated
// entry with "CD"; it must then hold the first such entry, and nothing else
// may change.
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "app/AudioDefaults.h"
#include "fake/FakeMachine.h"

namespace {

using platform::Hive;

constexpr const char* kAudioKey = "Software\\Microsoft\\Multimedia\\Audio";
constexpr const char* kDefaultUserAudioKey = ".Default\\Software\\Microsoft\\Multimedia\\Audio";
constexpr size_t kBufferSize = 1024;
constexpr uint32_t kRegSz = 1;

// The first entry followed by a comma that contains "CD".
std::optional<std::string> FirstCdEntry(const std::string& text) {
  std::string entry;
  for (char c : text) {
    if (c != ',') {
      entry += c;
      continue;
    }
    if (entry.find("CD") != std::string::npos) return entry;
    entry.clear();
  }
  return std::nullopt;
}

void RequireWritten(const fake::FakeMachine& machine, Hive hive, const char* key,
                    const std::optional<std::string>& expected) {
  const std::optional<fake::RegistryValue> value =
      machine.registry.Value(hive, key, "DefaultFormat");
  fuzz::Require(value.has_value() == expected.has_value(), "DefaultFormat written or not wrongly");
  if (!expected) return;
  fuzz::Require(value->type == kRegSz, "DefaultFormat is not REG_SZ");
  fuzz::Require(value->data == *expected + std::string(1, '\0'),
                "DefaultFormat is not the whole first CD entry");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint32_t kTypes[] = {1, 2, 3, 4, 7, 0};
  const unsigned typeIndex = data[0] & 0x07;
  const bool hasValue = typeIndex < 6;
  const bool defaultUserKey = data[0] & 0x08;
  const bool audioKey = !(data[0] & 0x10);
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  fake::FakeMachine machine;
  if (audioKey) machine.registry.CreateKey(Hive::CurrentUser, kAudioKey);
  if (audioKey && hasValue) {
    machine.registry.SetRaw(Hive::CurrentUser, kAudioKey, "SystemFormats", kTypes[typeIndex],
                            bytes);
  }
  if (defaultUserKey) machine.registry.CreateKey(Hive::Users, kDefaultUserAudioKey);

  SetDefaultSoundFormat(machine.platform());

  std::optional<std::string> expected;
  if (audioKey && hasValue && bytes.size() <= kBufferSize) {
    expected = FirstCdEntry(bytes.substr(0, bytes.find('\0')));
  }
  RequireWritten(machine, Hive::CurrentUser, kAudioKey, expected);
  RequireWritten(machine, Hive::Users, kDefaultUserAudioKey,
                 defaultUserKey ? expected : std::nullopt);
  fuzz::Require(audioKey == machine.registry.KeyExists(Hive::CurrentUser, kAudioKey),
                "the audio key was created");
  fuzz::Require(defaultUserKey == machine.registry.KeyExists(Hive::Users, kDefaultUserAudioKey),
                "the default user's key was created");
  if (audioKey && hasValue) {
    const std::optional<fake::RegistryValue> list =
        machine.registry.Value(Hive::CurrentUser, kAudioKey, "SystemFormats");
    fuzz::Require(list && list->data == bytes, "SystemFormats changed");
  }
  const size_t writes = (expected ? 1 : 0) + (expected && defaultUserKey ? 1 : 0);
  fuzz::Require(machine.journal.StartingWith("regset ").size() == writes, "other values written");
  fuzz::Require(machine.registry.OpenKeyCount() == 0, "a key was left open");
  return 0;
}
