// The fake machine's journal: one line per observable event, in order, so a
// test can assert the order of steps across subsystems.
#pragma once

#include <cstdint>
#include <source_location>
#include <string>
#include <vector>

namespace fake {

class Journal {
 public:
  void Add(const std::string& line) { m_lines.push_back(line); }
  const std::vector<std::string>& Lines() const { return m_lines; }
  // Index of the first line equal to text at or after from, or -1.
  int Find(const std::string& text, int from = 0) const;
  // Lines that start with prefix, in order.
  std::vector<std::string> StartingWith(const std::string& prefix) const;
  void Clear() { m_lines.clear(); }

 private:
  std::vector<std::string> m_lines;
};

// Checks that the lines appear in the journal in this order (others may lie
// between). A line ending in '*' stands for any line starting with the rest.
// A failure is reported at the caller's line.
void ExpectInOrder(const Journal& journal, const std::vector<std::string>& lines,
                   std::source_location where = std::source_location::current());

// The thread's last-error code, shared by every fake subsystem.
struct LastError {
  uint32_t code = 0;
};

// Thrown by the fake Processes::Exit so a test can see the process end.
struct ProcessExit {
  int exitCode;
};

}  // namespace fake
