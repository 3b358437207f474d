#include "platform/win32/Win32Stream.h"

#include <vector>

namespace platform {

Win32Stream::~Win32Stream() { std::fclose(m_file); }

bool Win32Stream::GetLine(std::string* line, int bufferSize) {
  // fgets with room for less than one character reads nothing and never
  // reports end of file; treat it as the end so reading loops terminate.
  if (bufferSize < 2) {
    line->clear();
    return false;
  }
  std::vector<char> buffer(bufferSize);
  if (std::fgets(buffer.data(), bufferSize, m_file) == nullptr) {
    line->clear();
    return false;
  }
  line->assign(buffer.data());
  return true;
}

long Win32Stream::Tell() { return std::ftell(m_file); }

bool Win32Stream::Seek(long offset, int origin) { return std::fseek(m_file, offset, origin) == 0; }

bool Win32Stream::PutChar(char c) {
  return std::fputc(static_cast<unsigned char>(c), m_file) != EOF;
}

bool Win32Stream::Flush() { return std::fflush(m_file) == 0; }

}  // namespace platform
