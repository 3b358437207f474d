// The fake C runtime streams: what fgets, ftell and fopen's modes show a
// program, including where the Microsoft runtime's text mode does not give
// byte offsets.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

constexpr const char* kPath = "C:\\test.inf";

struct Read {
  long start;  // ftell before the read
  std::string text;
};

// Reads the whole file with fgets and the given buffer size.
std::vector<Read> ReadAll(platform::Stream& stream, int bufferSize) {
  std::vector<Read> reads;
  std::string text;
  for (;;) {
    const long start = stream.Tell();
    if (!stream.GetLine(&text, bufferSize)) return reads;
    reads.push_back({start, text});
  }
}

std::vector<long> Starts(const std::vector<Read>& reads) {
  std::vector<long> starts;
  for (const Read& read : reads) starts.push_back(read.start);
  return starts;
}

TEST(FakeStream, BinaryModeKeepsLineEndsAndCountsBytes) {
  fake::FakeMachine machine;
  machine.files.AddFile(kPath, "ab\r\ncd\nef");
  auto stream = machine.files.OpenStream(kPath, "rb");
  ASSERT_TRUE(stream);
  const std::vector<Read> reads = ReadAll(*stream, 1024);
  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[0].text, "ab\r\n");
  EXPECT_EQ(reads[1].text, "cd\n");
  EXPECT_EQ(reads[2].text, "ef");
  EXPECT_EQ(Starts(reads), (std::vector<long>{0, 4, 7}));
  EXPECT_EQ(stream->Tell(), 9);
}

TEST(FakeStream, TextModePositionsAreByteOffsetsOnlyForCrLfLines) {
  fake::FakeMachine machine;
  machine.files.AddFile("C:\\crlf.inf", "ab\r\ncd\r\nef");
  machine.files.AddFile("C:\\lf.inf", "ab\ncd\nef");
  auto crlf = machine.files.OpenStream("C:\\crlf.inf", "r");
  const std::vector<Read> crlfReads = ReadAll(*crlf, 1024);
  ASSERT_EQ(crlfReads.size(), 3u);
  EXPECT_EQ(crlfReads[0].text, "ab\n");
  EXPECT_EQ(Starts(crlfReads), (std::vector<long>{0, 4, 8}));

  // The runtime takes each LF still in its buffer for CRLF: short by one per
  // bare LF not yet read.
  auto lf = machine.files.OpenStream("C:\\lf.inf", "r");
  const std::vector<Read> lfReads = ReadAll(*lf, 1024);
  ASSERT_EQ(lfReads.size(), 3u);
  EXPECT_EQ(lfReads[1].text, "cd\n");
  EXPECT_EQ(Starts(lfReads), (std::vector<long>{0, 2, 6}));
}

TEST(FakeStream, TextModeOverCountsBareLfsBeforeTheLastBuffer) {
  // More than one buffer of 4096 bytes: in one that does not reach the end of
  // the file, every bare LF read so far counts twice.
  fake::FakeMachine machine;
  machine.files.AddFile(kPath, "a\nb\nc\nd\n" + std::string(5000, 'x'));
  auto stream = machine.files.OpenStream(kPath, "r");
  std::string text;
  ASSERT_TRUE(stream->GetLine(&text, 1024));
  ASSERT_TRUE(stream->GetLine(&text, 1024));
  EXPECT_EQ(stream->Tell(), 6);  // 4 bytes read
  // Seeking back to that position skips a line.
  ASSERT_TRUE(stream->Seek(stream->Tell(), SEEK_SET));
  ASSERT_TRUE(stream->GetLine(&text, 1024));
  EXPECT_EQ(text, "d\n");
}

TEST(FakeStream, TextModeJoinsACrLfSplitAcrossTwoBuffers) {
  fake::FakeMachine machine;
  const std::string first(4095, 'a');
  machine.files.AddFile(kPath, first + "\r\nb\r\n");
  auto stream = machine.files.OpenStream(kPath, "r");
  const std::vector<Read> reads = ReadAll(*stream, 5000);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0].text, first + "\n");
  EXPECT_EQ(reads[1].text, "b\n");
  EXPECT_EQ(reads[1].start, 4097);
  EXPECT_EQ(stream->Tell(), 4100);
}

TEST(FakeStream, ReadsStopAtTheBufferLimitAndTextEndsAtAZeroByte) {
  fake::FakeMachine machine;
  std::string data(1030, 'x');
  data[3] = '\0';
  data += "\nend";
  machine.files.AddFile(kPath, data);
  auto stream = machine.files.OpenStream(kPath, "rb");
  const std::vector<Read> reads = ReadAll(*stream, 1024);
  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[0].text, "xxx");  // 1023 bytes read, the text cut at the zero
  EXPECT_EQ(reads[1].start, 1023);
  EXPECT_EQ(reads[1].text, "xxxxxxx\n");
  EXPECT_EQ(reads[2].start, 1031);
  EXPECT_EQ(reads[2].text, "end");
}

TEST(FakeStream, UpdateModeWritesInPlaceAndTextModeWritesLfAsCrLf) {
  fake::FakeMachine machine;
  machine.files.AddFile(kPath, "0123456789");
  {
    auto stream = machine.files.OpenStream(kPath, "r+b");
    ASSERT_TRUE(stream);
    ASSERT_TRUE(stream->Seek(4, SEEK_SET));
    EXPECT_TRUE(stream->PutChar('x'));
    EXPECT_TRUE(stream->Flush());
  }
  EXPECT_EQ(machine.files.Contents(kPath), "0123x56789");
  {
    auto stream = machine.files.OpenStream(kPath, "r+");
    ASSERT_TRUE(stream->Seek(1, SEEK_SET));
    EXPECT_TRUE(stream->PutChar('\n'));
  }
  EXPECT_EQ(machine.files.Contents(kPath), "0\r\n3x56789");
  auto readOnly = machine.files.OpenStream(kPath, "rb");
  EXPECT_FALSE(readOnly->PutChar('y'));
  EXPECT_EQ(machine.files.Contents(kPath), "0\r\n3x56789");
}

TEST(FakeStream, LockedAndReadOnlyFilesRefuseUpdates) {
  fake::FakeMachine machine;
  machine.files.AddFile("C:\\locked.inf", "data");
  machine.files.LockFile("c:\\LOCKED.INF");
  machine.files.AddFile("C:\\readonly.inf", "data", FILE_ATTRIBUTE_READONLY);

  EXPECT_FALSE(machine.files.OpenStream("C:\\locked.inf", "r+b"));
  EXPECT_EQ(machine.lastError.code, ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(machine.files.OpenStream("C:\\locked.inf", "rb"));
  EXPECT_FALSE(machine.files.OpenStream("C:\\readonly.inf", "r+b"));
  EXPECT_EQ(machine.lastError.code, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(machine.files.OpenStream("C:\\readonly.inf", "rb"));
  EXPECT_FALSE(machine.files.OpenStream("C:\\missing.inf", "r+b"));
  EXPECT_FALSE(machine.files.FileExists("C:\\missing.inf"));
}

}  // namespace
