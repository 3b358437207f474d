// The default sound format picked from the user's list of formats, and the
// CD-player profile copied from setup.ini.
#include <gtest/gtest.h>

#include <optional>

#include "app/AudioDefaults.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

using platform::Hive;

constexpr const char* kAudioKey = "Software\\Microsoft\\Multimedia\\Audio";
constexpr const char* kDefaultUserAudioKey = ".Default\\Software\\Microsoft\\Multimedia\\Audio";
constexpr const char* kCdPlayerProfile = "C:\\WINDOWS\\QXCDPLAY.INI";

// Both audio keys exist; the list is stored as the given bytes.
void SeedFormats(fake::FakeMachine& machine, const std::string& bytes) {
  machine.registry.SetRaw(Hive::CurrentUser, kAudioKey, "SystemFormats", REG_SZ, bytes);
  machine.registry.CreateKey(Hive::Users, kDefaultUserAudioKey);
}

std::optional<fake::RegistryValue> DefaultFormat(const fake::FakeMachine& machine, Hive hive) {
  return machine.registry.Value(hive, hive == Hive::Users ? kDefaultUserAudioKey : kAudioKey,
                                "DefaultFormat");
}

// The value as a REG_SZ with its terminating zero counted.
void ExpectFormat(const std::optional<fake::RegistryValue>& value, const std::string& name) {
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, REG_SZ);
  EXPECT_EQ(value->data, name + std::string(1, '\0'));
}

TEST(AudioDefaults, FirstCommaTerminatedCdEntryBecomesTheDefaultFormat) {
  const std::string longName = "Compact Disc Audio CD Quality 44100 Hz 16 bit Stereo";
  struct Case {
    std::string formats;  // stored with a terminating zero
    const char* chosen;   // null: nothing written
  };
  const Case kCases[] = {
      {"CD Quality,Radio Quality,Telephone Quality", "CD Quality"},
      {"Radio Quality,CD Quality,CD Stereo,", "CD Quality"},
      {"Radio Quality,Audio CD 44 kHz,Telephone Quality", "Audio CD 44 kHz"},
      {",CD,", "CD"},
      {"cd quality,Radio Quality,Telephone Quality", nullptr},
      {"Radio Quality,Telephone Quality,CD Quality", nullptr},  // the last entry is never tested
      {"CD Quality", nullptr},
      {"", nullptr},
      {"Radio," + longName + ",Telephone", longName.c_str()},  // written whole
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.formats);
    fake::FakeMachine machine;
    SeedFormats(machine, c.formats + std::string(1, '\0'));

    SetDefaultSoundFormat(machine.platform());

    if (c.chosen) {
      ExpectFormat(DefaultFormat(machine, Hive::CurrentUser), c.chosen);
      ExpectFormat(DefaultFormat(machine, Hive::Users), c.chosen);
    } else {
      EXPECT_FALSE(DefaultFormat(machine, Hive::CurrentUser).has_value());
      EXPECT_FALSE(DefaultFormat(machine, Hive::Users).has_value());
    }
    EXPECT_EQ(machine.registry.OpenKeyCount(), 0u);
  }
}

TEST(AudioDefaults, FullBufferWithoutZeroEndsWithItsLastByte) {
  const std::string tail = ",Audio CD,";
  const std::string filler(1024 - tail.size(), 'R');
  struct Case {
    std::string bytes;
    const char* chosen;
  };
  const Case kCases[] = {
      {filler + tail, "Audio CD"},  // 1024 bytes, the comma is the last
      {filler + tail.substr(0, tail.size() - 1) + "x", nullptr},  // no comma after the entry
      {filler + tail + "x", nullptr},  // 1025 bytes do not fit the buffer
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.bytes.size());
    fake::FakeMachine machine;
    SeedFormats(machine, c.bytes);

    SetDefaultSoundFormat(machine.platform());

    if (c.chosen) {
      ExpectFormat(DefaultFormat(machine, Hive::CurrentUser), c.chosen);
    } else {
      EXPECT_FALSE(DefaultFormat(machine, Hive::CurrentUser).has_value());
    }
  }
}

TEST(AudioDefaults, MissingDefaultUserKeyIsNotCreated) {
  fake::FakeMachine machine;
  machine.registry.SetString(Hive::CurrentUser, kAudioKey, "SystemFormats", "CD Quality,Radio,");

  SetDefaultSoundFormat(machine.platform());

  ExpectFormat(DefaultFormat(machine, Hive::CurrentUser), "CD Quality");
  EXPECT_FALSE(machine.registry.KeyExists(Hive::Users, kDefaultUserAudioKey));
}

TEST(AudioDefaults, DefaultUserKeyWithoutFullAccessKeepsTheCurrentUsersWrite) {
  fake::FakeMachine machine;
  SeedFormats(machine, std::string("CD Quality,Radio,") + '\0');
  machine.registry.DenyFullAccess(Hive::Users, kDefaultUserAudioKey);

  SetDefaultSoundFormat(machine.platform());

  ExpectFormat(DefaultFormat(machine, Hive::CurrentUser), "CD Quality");
  EXPECT_FALSE(DefaultFormat(machine, Hive::Users).has_value());
}

TEST(AudioDefaults, UnreadableListWritesNothing) {
  {
    SCOPED_TRACE("no list");
    fake::FakeMachine machine;
    machine.registry.CreateKey(Hive::CurrentUser, kAudioKey);
    machine.registry.CreateKey(Hive::Users, kDefaultUserAudioKey);
    SetDefaultSoundFormat(machine.platform());
    EXPECT_FALSE(DefaultFormat(machine, Hive::Users).has_value());
    EXPECT_FALSE(DefaultFormat(machine, Hive::CurrentUser).has_value());
  }
  {
    SCOPED_TRACE("no audio key at all");
    fake::FakeMachine machine;
    SetDefaultSoundFormat(machine.platform());
    EXPECT_FALSE(machine.registry.KeyExists(Hive::CurrentUser, kAudioKey));
    EXPECT_TRUE(machine.journal.StartingWith("regset ").empty());
  }
}

TEST(CdPlayerProfile, UsingCddaIsOneWhenSetupIniSaysNotZero) {
  struct Case {
    const char* setupIni;  // null: no setup.ini
    const char* written;
  };
  const Case kCases[] = {
      {nullptr, "0"},
      {"[Default]\r\nUsingCDDA=0\r\n", "0"},
      {"[Default]\r\nUsingCDDA=1\r\n", "1"},
      {"[Default]\r\nUsingCDDA=5\r\n", "1"},
      {"[Other]\r\nUsingCDDA=1\r\n", "0"},
  };
  const std::string setupIni = "D:\\setup.ini";
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.setupIni ? c.setupIni : "missing");
    fake::FakeMachine machine;
    if (c.setupIni) machine.files.AddFile(setupIni, c.setupIni);
    // An earlier run's value is overwritten either way.
    machine.files.AddFile(kCdPlayerProfile, std::string("[CD PLAYER]\r\nUsingCDDA=") +
                                                (c.written[0] == '1' ? "0" : "1") + "\r\n");

    WriteCdPlayerProfile(machine.platform(), setupIni);

    EXPECT_EQ(machine.profiles.Get("CD PLAYER", "UsingCDDA", kCdPlayerProfile), c.written);
  }
}

// The value's type is not looked at: whatever it holds is read as text up to
// its first zero.
TEST(AudioDefaults, AValueOfAnotherTypeIsReadAsItsText) {
  const struct {
    uint32_t type;
    std::string bytes;
    const char* chosen;
  } cases[] = {
      {3 /* REG_BINARY */, std::string("CD,\0", 4), "CD"},
      {4 /* REG_DWORD */, std::string("\x2C\x43\x44\x2C", 4), "CD"},  // ",CD,"
      {4 /* REG_DWORD */, std::string("\x01\0\0\0", 4), nullptr},
      {REG_MULTI_SZ, std::string("Radio\0CD Quality,\0\0", 20), nullptr},
      {REG_MULTI_SZ, std::string("Radio,CD Quality,\0Other\0\0", 26), "CD Quality"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    fake::FakeMachine machine;
    machine.registry.SetRaw(Hive::CurrentUser, kAudioKey, "SystemFormats", c.type, c.bytes);
    machine.registry.CreateKey(Hive::Users, kDefaultUserAudioKey);

    SetDefaultSoundFormat(machine.platform());

    if (c.chosen) {
      ExpectFormat(DefaultFormat(machine, Hive::CurrentUser), c.chosen);
      ExpectFormat(DefaultFormat(machine, Hive::Users), c.chosen);
    } else {
      EXPECT_FALSE(DefaultFormat(machine, Hive::CurrentUser).has_value());
      EXPECT_FALSE(DefaultFormat(machine, Hive::Users).has_value());
    }
  }
}

}  // namespace
