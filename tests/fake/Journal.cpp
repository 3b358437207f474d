#include "fake/Journal.h"

#include <gtest/gtest.h>

namespace fake {

int Journal::Find(const std::string& text, int from) const {
  for (size_t i = static_cast<size_t>(from); i < m_lines.size(); ++i) {
    if (m_lines[i] == text) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::string> Journal::StartingWith(const std::string& prefix) const {
  std::vector<std::string> result;
  for (const std::string& line : m_lines) {
    if (line.compare(0, prefix.size(), prefix) == 0) result.push_back(line);
  }
  return result;
}

namespace {

bool Matches(const std::string& line, const std::string& expected) {
  if (!expected.empty() && expected.back() == '*') {
    return line.compare(0, expected.size() - 1, expected, 0, expected.size() - 1) == 0;
  }
  return line == expected;
}

}  // namespace

void ExpectInOrder(const Journal& journal, const std::vector<std::string>& lines,
                   std::source_location where) {
  const std::vector<std::string>& actual = journal.Lines();
  size_t position = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& expected = lines[i];
    while (position < actual.size() && !Matches(actual[position], expected)) ++position;
    if (position == actual.size()) {
      ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line()))
          << "journal line \"" << expected << "\" missing or out of order"
          << (i == 0 ? std::string() : ", expected after \"" + lines[i - 1] + "\"");
      return;
    }
    ++position;
  }
}

}  // namespace fake
