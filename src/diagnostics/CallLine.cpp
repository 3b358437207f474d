#include "diagnostics/CallLine.h"

namespace diagnostics {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '"' || c == '%') {
      out += '%';
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string QuotedList(const std::vector<std::string>& texts) {
  std::string list = "[";
  for (size_t i = 0; i < texts.size(); ++i) list += (i ? ", " : "") + Quoted(texts[i]);
  return list + "]";
}

std::string Hex(uint64_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), kHexDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return "0x" + digits;
}

std::string Code(uint32_t value) { return value < 0x10000 ? std::to_string(value) : Hex(value); }

CallLine::CallLine(const char* call) : m_text(std::string(call) + "(") {}

CallLine& CallLine::Argument(const std::string& formatted, const char* name) {
  if (!m_firstArgument) m_text += ", ";
  m_firstArgument = false;
  if (name != nullptr) m_text += std::string(name) + "=";
  m_text += formatted;
  return *this;
}

CallLine& CallLine::Text(const std::string& value, const char* name) {
  return Argument(Quoted(value), name);
}

CallLine& CallLine::Number(int64_t value, const char* name) {
  return Argument(std::to_string(value), name);
}

CallLine& CallLine::Hex(uint64_t value, const char* name) {
  return Argument(diagnostics::Hex(value), name);
}

CallLine& CallLine::Flag(bool value, const char* name) {
  return Argument(value ? "true" : "false", name);
}

CallLine& CallLine::Texts(const std::vector<std::string>& values, const char* name) {
  return Argument(QuotedList(values), name);
}

CallLine& CallLine::Returns() {
  m_text += ")";
  return *this;
}

CallLine& CallLine::Returns(bool value) {
  m_text += value ? ") -> true" : ") -> false";
  return *this;
}

CallLine& CallLine::ReturnsNumber(int64_t value) { return ReturnsFormatted(std::to_string(value)); }

CallLine& CallLine::ReturnsHex(uint64_t value) { return ReturnsFormatted(diagnostics::Hex(value)); }

CallLine& CallLine::ReturnsText(const std::string& value) {
  return ReturnsFormatted(Quoted(value));
}

CallLine& CallLine::ReturnsFormatted(const std::string& formatted) {
  m_text += ") -> " + formatted;
  return *this;
}

CallLine& CallLine::Out(const char* name, const std::string& formatted) {
  m_text += ", " + std::string(name) + "=" + formatted;
  return *this;
}

CallLine& CallLine::Error(uint32_t code) { return Out("error", Code(code)); }

}  // namespace diagnostics
