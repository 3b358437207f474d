// The INF option patch on real file contents: which byte changes, and that
// nothing else does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/InfOptionPatch.h"
#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

using driver::InfOptions;

constexpr const char* kInf = "C:\\Program Files\\Quarnex\\WIN_ME\\QXAUDIO.INF";
const std::string kLegacyHead = "HKR,\"Settings\",\"EnableLegacy\",    0x00010001,0x0";
const std::string kJackHead = "HKR,\"Settings\",\"JackConfig\",      0x00010001,0x0";

std::string LegacyLine(char digit) { return kLegacyHead + digit + ",0,0,0"; }
std::string JackLine(char digit) { return kJackHead + digit + ",0,0,0"; }

// A driver INF as shipped (digits '3' and '5'), or as patched.
std::string Inf(char legacyDigit, char jackDigit, const std::string& eol = "\r\n") {
  return "[Version]" + eol + "Signature=\"$CHICAGO$\"" + eol + eol + "[QXAudio.AddReg]" + eol +
         "HKR,,AssociatedFilters,,\"wdmaud,swmidi,redbook\"" + eol + LegacyLine(legacyDigit) + eol +
         JackLine(jackDigit) + eol + "HKR,\"Settings\",\"Volume\",0x00010001,0x40,0,0,0" + eol;
}

InfOptions Motherboard(bool rear, bool center, bool mic, bool disableLegacy = false) {
  InfOptions options;
  options.disableLegacy = disableLegacy;
  options.lineInRear = rear;
  options.lineInCenter = center;
  options.micSub = mic;
  return options;
}

const InfOptions kDefaults = Motherboard(true, false, false);

// The file after the patch has run on it with these options.
std::string Patched(const std::string& contents, const InfOptions& options,
                    fake::FakeMachine* machine = nullptr) {
  fake::FakeMachine own;
  fake::FakeMachine& m = machine ? *machine : own;
  m.files.AddFile(kInf, contents);
  driver::PatchInfOptionsFile(m.platform(), kInf, options);
  return m.files.Contents(kInf);
}

TEST(InfOptionPatch, JackConfigTakesTheJackValueOfEachReachableState) {
  struct Case {
    const char* name;
    InfOptions options;
    int value;
  };
  InfOptions soundCard = Motherboard(true, false, true);
  soundCard.jackInSoundCard = true;
  const Case cases[] = {
      {"line-in with rear (the default)", kDefaults, 1},
      {"line-in with center/subwoofer", Motherboard(false, true, false), 2},
      {"microphone with subwoofer", Motherboard(false, false, true), 4},
      {"line-in with rear and microphone with subwoofer", Motherboard(true, false, true), 5},
      {"sound card, whatever the boxes show", soundCard, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(driver::JackValue(c.options), c.value);
    fake::FakeMachine machine;
    EXPECT_EQ(Patched(Inf('3', '5'), c.options, &machine), Inf('3', '0' + c.value));
    EXPECT_TRUE(machine.clock.Sleeps().empty());
  }
}

TEST(InfOptionPatch, LegacyDeviceIsDisabledOnlyWhenAskedAfterAPause) {
  fake::FakeMachine machine;
  EXPECT_EQ(Patched(Inf('3', '5'), Motherboard(false, true, false, true), &machine), Inf('2', '2'));
  EXPECT_EQ(machine.clock.Sleeps(), std::vector<uint32_t>{100});

  fake::FakeMachine kept;
  EXPECT_EQ(Patched(Inf('3', '5'), kDefaults, &kept), Inf('3', '1'));
  EXPECT_TRUE(kept.clock.Sleeps().empty());

  // Without an EnableLegacy line there is nothing to wait for.
  fake::FakeMachine noLine;
  const std::string jackOnly = "[AddReg]\r\n" + JackLine('5') + "\r\n";
  EXPECT_EQ(Patched(jackOnly, Motherboard(true, false, false, true), &noLine),
            "[AddReg]\r\n" + JackLine('1') + "\r\n");
  EXPECT_TRUE(noLine.clock.Sleeps().empty());
}

TEST(InfOptionPatch, OnlyLinesThatBeginWithTheExactTemplateMatch) {
  const InfOptions legacyAndCenter = Motherboard(false, true, false, true);
  struct Case {
    const char* name;
    std::string before;
    std::string after;
  };
  const std::string legacy = LegacyLine('3'), jack = JackLine('5');
  const Case cases[] = {
      {"indented", " " + legacy + "\r\n\t" + jack + "\r\n",
       " " + legacy + "\r\n\t" + jack + "\r\n"},
      {"other blanks",
       "HKR,\"Settings\",\"EnableLegacy\",   0x00010001,0x03,0,0,0\r\n"
       "HKR,\"Settings\",\"JackConfig\",       0x00010001,0x05,0,0,0\r\n",
       "HKR,\"Settings\",\"EnableLegacy\",   0x00010001,0x03,0,0,0\r\n"
       "HKR,\"Settings\",\"JackConfig\",       0x00010001,0x05,0,0,0\r\n"},
      {"other case", "hkr,\"Settings\",\"JackConfig\",      0x00010001,0x05,0,0,0\r\n",
       "hkr,\"Settings\",\"JackConfig\",      0x00010001,0x05,0,0,0\r\n"},
      {"patched before", LegacyLine('2') + "\r\n" + JackLine('4') + "\r\n",
       LegacyLine('2') + "\r\n" + JackLine('4') + "\r\n"},
      {"each template twice: the first only",
       legacy + "\r\n" + jack + "\r\n" + legacy + "\r\n" + jack + "\r\n",
       LegacyLine('2') + "\r\n" + JackLine('2') + "\r\n" + legacy + "\r\n" + jack + "\r\n"},
      {"a patched line before an unpatched one", JackLine('1') + "\r\n" + jack + "\r\n",
       JackLine('1') + "\r\n" + JackLine('2') + "\r\n"},
      {"trailing comment", legacy + " ; legacy port\r\n" + jack + "; jacks\r\n",
       LegacyLine('2') + " ; legacy port\r\n" + JackLine('2') + "; jacks\r\n"},
      {"template text inside a line", "; " + legacy + "\r\n; " + jack + "\r\n",
       "; " + legacy + "\r\n; " + jack + "\r\n"},
      {"last line without a line end", "[AddReg]\r\n" + legacy + "\r\n" + jack,
       "[AddReg]\r\n" + LegacyLine('2') + "\r\n" + JackLine('2')},
      {"a template cut short at the end", "[AddReg]\r\n" + jack.substr(0, 54),
       "[AddReg]\r\n" + jack.substr(0, 54)},
      {"neither line", "[Version]\r\nSignature=\"$CHICAGO$\"\r\n",
       "[Version]\r\nSignature=\"$CHICAGO$\"\r\n"},
      {"empty", "", ""},
      {"LF line ends", Inf('3', '5', "\n"), Inf('2', '2', "\n")},
      {"CR line ends: one line", "x\r" + legacy + "\r", "x\r" + legacy + "\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Patched(c.before, legacyAndCenter), c.after);
  }
}

TEST(InfOptionPatch, OnlyTheStartOfALongLineCountsAsALineStart) {
  // fgets reads 1023 characters at a time; a template that begins a later
  // read of the same line is inside that line, not at its start.
  const std::string jack = JackLine('5');
  for (size_t length : {1021u, 1022u, 1023u, 1024u, 2045u, 2046u, 2047u}) {
    SCOPED_TRACE(length);
    const std::string filler(length, 'x');
    EXPECT_EQ(Patched(filler + jack + "\r\n", kDefaults), filler + jack + "\r\n");
    EXPECT_EQ(Patched(filler + jack + "\r\n" + jack + "\r\n", kDefaults),
              filler + jack + "\r\n" + JackLine('1') + "\r\n");
    EXPECT_EQ(Patched(filler + "\n" + jack + "\n", kDefaults),
              filler + "\n" + JackLine('1') + "\n");
    EXPECT_EQ(Patched(filler + "\r\n" + jack, kDefaults), filler + "\r\n" + JackLine('1'));
  }
}

TEST(InfOptionPatch, ZeroBytesDoNotHideWhereLinesStart) {
  // fgets' text ends at a zero byte; whether a full read ended its line is
  // decided by the bytes, not by that text.
  std::string lineWithZero(1022, 'x');
  lineWithZero[10] = '\0';
  const std::string jack = JackLine('5');
  EXPECT_EQ(Patched(lineWithZero + "\n" + jack + "\r\n", kDefaults),
            lineWithZero + "\n" + JackLine('1') + "\r\n");
  EXPECT_EQ(Patched(lineWithZero + "y" + jack + "\r\n", kDefaults),
            lineWithZero + "y" + jack + "\r\n");
  std::string endsInZero(1022, 'x');
  endsInZero += '\0';
  EXPECT_EQ(Patched(endsInZero + jack + "\n" + jack, kDefaults),
            endsInZero + jack + "\n" + JackLine('1'));
}

TEST(InfOptionPatch, InfsOfOtherShapesChangeOnlyAtATemplateLine) {
  std::string utf16 = "\xFF\xFE";
  for (char c : Inf('3', '5')) utf16 += std::string{c, '\0'};
  const std::string longLine(100000, 'x');
  const struct {
    const char* name;
    std::string before, after;
  } cases[] = {
      // The lines are looked for byte by byte: a UTF-16 INF holds none.
      {"UTF-16 with a byte-order mark", utf16, utf16},
      {"zero bytes", "", ""},
      {"a line of 100 000 characters before", longLine + "\r\n" + Inf('3', '5'),
       longLine + "\r\n" + Inf('2', '1')},
      {"the template inside a line of 100 000 characters", longLine + JackLine('5') + "\r\n",
       longLine + JackLine('5') + "\r\n"},
      {"no line end after the last line", LegacyLine('3') + "\r\n" + JackLine('5'),
       LegacyLine('2') + "\r\n" + JackLine('1')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    EXPECT_EQ(Patched(c.before, Motherboard(true, false, false, true), &machine), c.after);
    EXPECT_EQ(machine.files.Contents(kInf).size(), c.before.size());
  }
}

TEST(InfOptionPatch, FilesThatDoNotOpenForWritingAreLeftAlone) {
  const InfOptions options = Motherboard(false, false, true, true);
  fake::FakeMachine locked;
  locked.files.AddFile(kInf, Inf('3', '5'));
  locked.files.LockFile(kInf);
  EXPECT_FALSE(driver::PatchInfOptionsFile(locked.platform(), kInf, options));
  EXPECT_EQ(locked.system.GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(locked.files.Contents(kInf), Inf('3', '5'));
  EXPECT_TRUE(locked.clock.Sleeps().empty());

  fake::FakeMachine readOnly;
  readOnly.files.AddFile(kInf, Inf('3', '5'), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(driver::PatchInfOptionsFile(readOnly.platform(), kInf, options));
  EXPECT_EQ(readOnly.system.GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(readOnly.files.Contents(kInf), Inf('3', '5'));

  fake::FakeMachine missing;
  EXPECT_FALSE(driver::PatchInfOptionsFile(missing.platform(), kInf, options));
  EXPECT_EQ(missing.system.GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(missing.files.FileExists(kInf));
}

}  // namespace
