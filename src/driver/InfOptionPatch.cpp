#include "driver/InfOptionPatch.h"

#include <cstdio>
#include <string_view>

namespace driver {

namespace {

// The AddReg lines as the driver package ships them. A line must begin with
// one of these exactly (case and blanks included); anything may follow.
constexpr std::string_view kEnableLegacyLine =
    "HKR,\"Settings\",\"EnableLegacy\",    0x00010001,0x03,0,0,0";
constexpr std::string_view kJackConfigLine =
    "HKR,\"Settings\",\"JackConfig\",      0x00010001,0x05,0,0,0";
// The low digit of the value's first byte ("0x03", "0x05").
constexpr long kDigitOffset = 48;
static_assert(kEnableLegacyLine.size() == 55 && kJackConfigLine.size() == 55);
static_assert(kEnableLegacyLine[kDigitOffset] == '3' && kJackConfigLine[kDigitOffset] == '5');

// Lines are read as fgets reads them: at most 1023 characters at a time.
constexpr int kReadBufferSize = 1024;
constexpr char kLegacyDisabledDigit = '2';
constexpr uint32_t kPauseBeforeLegacyWrite = 100;

// Whether the read that began at readStart went up to the end of its line, so
// that the next read begins a line. A read that stopped short of the buffer's
// limit stopped at a line end (or the end of the file); a full one ended its
// line only if its last byte is the LF. fgets' text ends at a zero byte, so
// when one cut the text short that last byte is read again by itself.
bool ReadEndedLine(platform::Stream& stream, const std::string& text, long readStart) {
  const long consumed = stream.Tell() - readStart;
  if (consumed < kReadBufferSize - 1) return true;
  if (static_cast<long>(text.size()) == consumed) return text.back() == '\n';
  std::string lastByte;
  stream.Seek(-1, SEEK_CUR);
  stream.GetLine(&lastByte, 2);
  return lastByte == "\n";
}

// The offset of the first line, from the start of the file, that begins with
// lineStart; -1 when there is none. The rest of a line longer than one read
// is not the start of a line, whatever it holds.
long FindLine(platform::Stream& stream, std::string_view lineStart) {
  if (!stream.Seek(0, SEEK_SET)) return -1;
  bool atLineStart = true;
  std::string text;
  for (;;) {
    const long readStart = stream.Tell();
    if (readStart < 0 || !stream.GetLine(&text, kReadBufferSize)) return -1;
    if (atLineStart && text.starts_with(lineStart)) return readStart;
    atLineStart = ReadEndedLine(stream, text, readStart);
  }
}

// Overwrites the value's digit of the line at lineOffset, and nothing else.
// False when the byte may not have reached the file.
bool WriteDigit(platform::Stream& stream, long lineOffset, char digit) {
  return stream.Seek(lineOffset + kDigitOffset, SEEK_SET) && stream.PutChar(digit) &&
         stream.Flush();
}

}  // namespace

int JackValue(const InfOptions& options) {
  if (options.jackInSoundCard) return 0;
  return (options.lineInRear ? 1 : 0) + (options.lineInCenter ? 2 : 0) + (options.micSub ? 4 : 0);
}

bool PatchInfOptionsFile(platform::Platform& platform, const std::string& path,
                         const InfOptions& options) {
  // Binary update mode: positions are byte offsets whatever the line ends (in
  // text mode the runtime's positions drift on LF-only lines), and a file
  // that cannot be written does not open at all.
  std::unique_ptr<platform::Stream> stream = platform.files.OpenStream(path, "r+b");
  if (!stream) return false;
  // A write that failed (a full disc) must not pass for the user's choices.
  bool written = true;
  if (options.disableLegacy) {
    const long line = FindLine(*stream, kEnableLegacyLine);
    if (line >= 0) {
      platform.clock.Sleep(kPauseBeforeLegacyWrite);
      written = WriteDigit(*stream, line, kLegacyDisabledDigit);
    }
  }
  const long line = FindLine(*stream, kJackConfigLine);
  if (written && line >= 0) {
    written = WriteDigit(*stream, line, static_cast<char>('0' + JackValue(options)));
  }
  stream->Seek(0, SEEK_END);
  return stream->Flush() && written;
}

}  // namespace driver
