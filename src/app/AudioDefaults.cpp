#include "app/AudioDefaults.h"

#include "common/Paths.h"
#include "common/RegistryKey.h"
#include "platform/WinApi.h"

namespace {

constexpr const char* kAudioKey = "Software\\Microsoft\\Multimedia\\Audio";
constexpr const char* kDefaultUserAudioKey = ".Default\\Software\\Microsoft\\Multimedia\\Audio";
constexpr uint32_t kFormatsBufferSize = 1024;

// The first comma-terminated entry of the list that contains "CD"; the entry
// after the last comma is not a candidate. Empty when there is none.
std::string FirstCdFormat(const std::string& formats) {
  size_t start = 0;
  for (size_t comma = formats.find(','); comma != std::string::npos;
       comma = formats.find(',', start)) {
    std::string entry = formats.substr(start, comma - start);
    if (entry.find("CD") != std::string::npos) return entry;
    start = comma + 1;
  }
  return std::string();
}

// Reads "SystemFormats" of the current user; false when it cannot be read.
bool ReadSystemFormats(platform::Registry& registry, std::string* formats) {
  RegistryKey key(registry);
  return key.Open(platform::Hive::CurrentUser, kAudioKey, KEY_ALL_ACCESS) &&
         key.ReadText("SystemFormats", kFormatsBufferSize, formats);
}

// Sets "DefaultFormat" in an existing key; a key that does not open is left alone.
void WriteDefaultFormat(platform::Registry& registry, platform::Hive hive, const char* subKey,
                        const std::string& format) {
  RegistryKey key(registry);
  if (!key.Open(hive, subKey, KEY_ALL_ACCESS)) return;
  registry.SetValue(key.Handle(), "DefaultFormat", REG_SZ, format + std::string(1, '\0'));
}

}  // namespace

void SetDefaultSoundFormat(platform::Platform& platform) {
  std::string formats;
  if (!ReadSystemFormats(platform.registry, &formats)) return;
  const std::string format = FirstCdFormat(formats);
  if (format.empty()) return;
  // Written whole, however long the name is.
  WriteDefaultFormat(platform.registry, platform::Hive::CurrentUser, kAudioKey, format);
  WriteDefaultFormat(platform.registry, platform::Hive::Users, kDefaultUserAudioKey, format);
}

void WriteCdPlayerProfile(platform::Platform& platform, const std::string& setupIni) {
  const std::string profile = WindowsDirectoryWithBackslash(platform) + "QXCDPLAY.INI";
  const uint32_t usingCdda = platform.profiles.GetInt("Default", "UsingCDDA", 0, setupIni);
  platform.profiles.WriteString("CD PLAYER", "UsingCDDA", usingCdda != 0 ? "1" : "0", profile);
}
