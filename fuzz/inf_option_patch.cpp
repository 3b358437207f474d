// Fuzz target: the INF option patch on arbitrary files and choices.
//
// Input: the first byte holds the choices (bit 0 disables the legacy device,
// bit 1 selects the sound card, bits 2 to 4 the three sharing boxes); the
// rest is the file. The patch must keep the file's length and change no byte
// but the digit at offset 48 of the first line that begins with each
// template, and it must change that digit to the chosen value.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/InfOptionPatch.h"
#include "fake/FakeMachine.h"

namespace {

// Spelled out here rather than taken from the patch, so that the two are
// checked against each other.
const std::string kLegacyTemplate = "HKR,\"Settings\",\"EnableLegacy\",    0x00010001,0x03,0,0,0";
const std::string kJackTemplate = "HKR,\"Settings\",\"JackConfig\",      0x00010001,0x05,0,0,0";
constexpr size_t kDigitOffset = 48;
constexpr const char* kPath = "C:\\Program Files\\Quarnex\\WIN_ME\\QXAUDIO.INF";

void Require(bool condition, const char* what, size_t at = 0) {
  if (condition) return;
  std::fprintf(stderr, "property broken: %s (offset %zu)\n", what, at);
  std::abort();
}

// The offset of the first line (lines end at LF) that begins with text, or
// npos.
size_t FirstLineStartingWith(const std::string& data, const std::string& text) {
  for (size_t start = 0; start < data.size();) {
    if (data.compare(start, text.size(), text) == 0) return start;
    const size_t lf = data.find('\n', start);
    if (lf == std::string::npos) break;
    start = lf + 1;
  }
  return std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  driver::InfOptions options;
  options.disableLegacy = data[0] & 0x01;
  options.jackInSoundCard = data[0] & 0x02;
  options.lineInRear = data[0] & 0x04;
  options.lineInCenter = data[0] & 0x08;
  options.micSub = data[0] & 0x10;
  const std::string before(reinterpret_cast<const char*>(data) + 1, size - 1);

  // One machine for every run; only the file and the pauses matter.
  static fake::FakeMachine machine;
  machine.journal.Clear();
  machine.files.AddFile(kPath, before);
  const size_t sleepsBefore = machine.clock.Sleeps().size();
  Require(driver::PatchInfOptionsFile(machine.platform(), kPath, options), "the file did not open");
  const std::string after = machine.files.Contents(kPath);
  const std::vector<uint32_t> sleeps(machine.clock.Sleeps().begin() + sleepsBefore,
                                     machine.clock.Sleeps().end());

  const int jackValue = options.jackInSoundCard
                            ? 0
                            : (options.lineInRear ? 1 : 0) + (options.lineInCenter ? 2 : 0) +
                                  (options.micSub ? 4 : 0);
  const char jackDigit = static_cast<char>('0' + jackValue);
  const size_t legacyLine = FirstLineStartingWith(before, kLegacyTemplate);
  const size_t jackLine = FirstLineStartingWith(before, kJackTemplate);
  const size_t legacyDigit = options.disableLegacy && legacyLine != std::string::npos
                                 ? legacyLine + kDigitOffset
                                 : std::string::npos;
  const size_t jackDigitAt =
      jackLine != std::string::npos ? jackLine + kDigitOffset : std::string::npos;

  Require(after.size() == before.size(), "the length changed", after.size());
  for (size_t i = 0; i < before.size(); ++i) {
    if (after[i] == before[i]) continue;
    Require(i == legacyDigit || i == jackDigitAt, "a byte outside the two digits changed", i);
  }
  if (legacyDigit != std::string::npos) {
    Require(after[legacyDigit] == '2', "EnableLegacy was not set to 2", legacyDigit);
  }
  if (jackDigitAt != std::string::npos) {
    Require(after[jackDigitAt] == jackDigit, "JackConfig does not hold the jack value",
            jackDigitAt);
  }
  // The pause comes with the legacy write and only with it.
  const std::vector<uint32_t> expectedSleeps =
      legacyDigit != std::string::npos ? std::vector<uint32_t>{100} : std::vector<uint32_t>{};
  Require(sleeps == expectedSleeps, "unexpected pauses");
  return 0;
}
