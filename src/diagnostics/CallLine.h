// One line of the diagnostic log for one call through the seam:
//   Interface.Method(argument, name=argument, ...) -> result, name=output, error=N
// Text is quoted and kept byte for byte (backslashes of paths stay as they
// are); '"', '%' and control bytes are written as %XX so every line stays one
// line and can be read back without doubt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace diagnostics {

// "text" with '"', '%' and bytes below 0x20 or 0x7F written as %XX.
std::string Quoted(const std::string& text);
// ["a", "b"].
std::string QuotedList(const std::vector<std::string>& texts);
// 0x1A2B.
std::string Hex(uint64_t value);
// An error or exit code: decimal below 0x10000 (ERROR_* values), hexadecimal
// above (setup-service and HRESULT-style codes).
std::string Code(uint32_t value);

class CallLine {
 public:
  explicit CallLine(const char* call);

  // Arguments, each optionally preceded by "name=".
  CallLine& Text(const std::string& value, const char* name = nullptr);
  CallLine& Number(int64_t value, const char* name = nullptr);
  CallLine& Hex(uint64_t value, const char* name = nullptr);
  CallLine& Flag(bool value, const char* name = nullptr);
  CallLine& Texts(const std::vector<std::string>& values, const char* name = nullptr);
  // An argument formatted by the caller.
  CallLine& Argument(const std::string& formatted, const char* name = nullptr);

  // Closes the argument list; the overloads with a value add " -> value".
  CallLine& Returns();
  CallLine& Returns(bool value);
  CallLine& ReturnsNumber(int64_t value);
  CallLine& ReturnsHex(uint64_t value);
  CallLine& ReturnsText(const std::string& value);
  CallLine& ReturnsFormatted(const std::string& formatted);
  // Something the call handed back besides its result (", name=value").
  CallLine& Out(const char* name, const std::string& formatted);
  // The thread's last-error code after the call.
  CallLine& Error(uint32_t code);
  CallLine& ErrorIf(bool failed, uint32_t code) { return failed ? Error(code) : *this; }

  const std::string& str() const { return m_text; }

 private:
  std::string m_text;
  bool m_firstArgument = true;
};

}  // namespace diagnostics
