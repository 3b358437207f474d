// Seam calls and the values they pass as text, as the log writes them. Text
// is quoted and kept byte for byte (backslashes of paths stay as they are);
// '"', '%' and control bytes are written as %XX, so every line stays one line
// and reads back without doubt.
#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "observation/SeamCall.h"
#include "platform/Platform.h"

namespace observation {

// Interface.Method(arguments) -> result, error=N
// The error is the last-error code, given when the call failed, sets one and
// does not return its error itself.
std::string Describe(const SeamCall& call);

// "text" with '"', '%' and bytes below 0x20 or 0x7F written as %XX.
std::string EscapedInQuotes(const std::string& text);
std::string Hex(uint64_t value);  // 0x1A2B
// A code, count or handle: decimal below 0x10000 (ERROR_* values, sizes),
// hexadecimal above (handles, access masks, setup-service codes).
std::string Code(uint64_t value);

std::string Text(bool value);
std::string Text(char value);
template <std::integral T>
std::string Text(T value) {
  if constexpr (std::signed_integral<T>) return std::to_string(value);
  return Code(value);
}
std::string Text(const std::string& value);
std::string Text(const std::vector<std::string>& values);
std::string Text(platform::Hive hive);
std::string Text(const platform::OsVersion& version);  // "5.1.2600 platform 2"
std::string Text(const platform::DevInfoData& device);
std::string Text(const std::unique_ptr<platform::Stream>& stream);
std::string Text(uint8_t* buffer);  // raw bytes say nothing readable
// Any other structure: nothing a reader of the log needs.
template <typename T>
requires(!std::integral<T> && !std::is_pointer_v<T>) std::string Text(const T&) { return "..."; }
// What a pointer points to.
template <typename T>
std::string Text(T* pointer) {
  return pointer != nullptr ? Text(*pointer) : "null";
}

}  // namespace observation
