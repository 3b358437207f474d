// Test helper shared by the observation and log tests: whether a described
// call is the expected text, where '#' stands for a number (a handle, a count).
#pragma once

#include <regex>
#include <string>

namespace observation_test {

inline bool MatchesCallLine(const std::string& line, const std::string& expected) {
  std::string pattern;
  for (char c : expected) {
    if (c == '#') {
      pattern += "[0-9A-Fx]+";
    } else {
      if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
      pattern += c;
    }
  }
  return std::regex_match(line, std::regex(pattern));
}

}  // namespace observation_test
