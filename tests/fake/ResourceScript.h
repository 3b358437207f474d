// ResourceScript.h
// Reads the dialog templates and string tables of the program's resource script
// on the host, so the tests and the fake dialog host work with the real texts
// and layout. Understands the subset of the resource language the script uses:
// LANGUAGE, DIALOG/DIALOGEX with STYLE, EXSTYLE, CAPTION and FONT, generic
// CONTROL statements, and STRINGTABLE. Names are resolved through
// src/res/resource.h and a table of the Windows constants the script uses.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fake {

enum class ControlKind {
  PushButton,
  DefPushButton,
  AutoCheckBox,
  AutoRadioButton,
  Static,
  GroupBox,
  Icon
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  // UTF-8 as written; a resource reference (the icon of an SS_ICON control)
  // is given as "#<number>".
  std::string text;
  bool groupStart;
  bool tabStop;
  bool disabled;
  // As stored in the compiled template: WS_CHILD | WS_VISIBLE | the written styles.
  uint32_t style;
  int x, y, cx, cy;
};

struct DialogTemplate {
  int id;
  std::string caption;
  std::string fontName;
  int pointSize;
  int cx, cy;
  uint32_t style;
  uint32_t exStyle;
  bool extended;  // DIALOGEX rather than DIALOG
  std::vector<ControlTemplate> controls;
};

struct LanguageResources {
  std::string file;
  int languageId;  // e.g. 0x0409
  std::map<int, DialogTemplate> dialogs;
  std::map<int, std::string> strings;
};

// Parses one language file of src/res/lang (resolving names through
// src/res/resource.h, the file one folder above it). Throws std::runtime_error,
// naming the file and line, on anything it does not understand.
LanguageResources LoadLanguageResources(const std::string& rcPath);

// The source tree's folder of language files: SOURCE_DIR "/src/res/lang".
std::string LanguageFolder();

}  // namespace fake
