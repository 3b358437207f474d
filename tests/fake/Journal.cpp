#include "fake/Journal.h"

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

}  // namespace fake
