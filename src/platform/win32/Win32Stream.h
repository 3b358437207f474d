// A C runtime stream opened with fopen.
#pragma once

#include <cstdio>

#include "platform/FileSystem.h"

namespace platform {

class Win32Stream final : public Stream {
 public:
  // Takes ownership of an open stream; the destructor closes it.
  explicit Win32Stream(FILE* file) : m_file(file) {}
  ~Win32Stream() override;
  Win32Stream(const Win32Stream&) = delete;
  Win32Stream& operator=(const Win32Stream&) = delete;

  bool GetLine(std::string* line, int bufferSize) override;
  long Tell() override;
  bool Seek(long offset, int origin) override;
  bool PutChar(char c) override;
  bool Flush() override;

 private:
  FILE* m_file;
};

}  // namespace platform
