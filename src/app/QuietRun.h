// What keeps a quiet run off the screen: an observer of the seam that
// answers, before they reach Windows, the calls that would show a window of
// the program's own. A message box gets its default button (OK for the
// program's notices) and its text is noted; a dialog is not shown and counts
// as cancelled.
#pragma once

#include <functional>
#include <string>

#include "observation/SeamCall.h"

using RunNote = std::function<void(const std::string&)>;

class QuietRun final : public observation::CallObserver {
 public:
  // note receives one line per window that was not shown; it may be empty.
  explicit QuietRun(RunNote note) : m_note(std::move(note)) {}

  void Before(observation::SeamCall& call) override;
  void After(observation::SeamCall&) override {}

  // The button a message box of this type has as its default.
  static int DefaultButton(uint32_t type);

 private:
  void Note(const std::string& line);

  RunNote m_note;
};
