#include "observation/ValueText.h"

namespace observation {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

std::string Describe(const SeamCall& call) {
  std::string arguments = call.ArgumentsText();
  if (!call.Subject().empty()) {
    arguments = Text(call.Subject()) + (arguments.empty() ? "" : ", ") + arguments;
  }
  std::string text =
      std::string(call.InterfaceName()) + "." + call.GetMethod().name + "(" + arguments + ")";
  const std::string result = call.ResultText();
  if (!result.empty()) text += " -> " + result;
  const Failure rule = call.GetMethod().failure;
  if (call.Failed() && rule != Failure::ErrorCode && rule != Failure::Below32 &&
      rule != Failure::NotFound) {
    text += ", error=" + Code(call.LastError());
  }
  return text;
}

std::string EscapedInQuotes(const std::string& text) {
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

std::string Hex(uint64_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), kHexDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return "0x" + digits;
}

std::string Code(uint64_t value) { return value < 0x10000 ? std::to_string(value) : Hex(value); }

std::string Text(bool value) { return value ? "true" : "false"; }

std::string Text(char value) { return EscapedInQuotes(std::string(1, value)); }

std::string Text(const std::string& value) { return EscapedInQuotes(value); }

std::string Text(const std::vector<std::string>& values) {
  std::string list = "[";
  for (size_t i = 0; i < values.size(); ++i) list += (i ? ", " : "") + Text(values[i]);
  return list + "]";
}

std::string Text(platform::Hive hive) {
  switch (hive) {
    case platform::Hive::LocalMachine:
      return "HKLM";
    case platform::Hive::CurrentUser:
      return "HKCU";
    case platform::Hive::Users:
      return "HKU";
  }
  return "?";
}

std::string Text(const platform::OsVersion& version) {
  return std::to_string(version.majorVersion) + "." + std::to_string(version.minorVersion) + "." +
         std::to_string(version.buildNumber) + " platform " + std::to_string(version.platformId);
}

// A device of a set: its index in the set and its device instance.
std::string Text(const platform::DevInfoData& device) {
  return "device " + std::to_string(device.index) + "/" + Hex(device.devInst);
}

std::string Text(const std::unique_ptr<platform::Stream>& stream) {
  return stream != nullptr ? "opened" : "null";
}

std::string Text(uint8_t* buffer) { return buffer != nullptr ? "buffer" : "null"; }

}  // namespace observation
