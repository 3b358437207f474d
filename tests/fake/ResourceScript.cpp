// ResourceScript.cpp
// A small reader for the language files of the resource script.
#include "fake/ResourceScript.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace fake {
namespace {

// The Windows constants the resource script may name, with the values of the
// Windows headers.
const std::map<std::string, int64_t>& WindowsConstants() {
  static const std::map<std::string, int64_t> table = {
      {"IDOK", 1},
      {"IDCANCEL", 2},
      {"WS_POPUP", 0x80000000},
      {"WS_CHILD", 0x40000000},
      {"WS_VISIBLE", 0x10000000},
      {"WS_DISABLED", 0x08000000},
      {"WS_CAPTION", 0x00C00000},
      {"WS_BORDER", 0x00800000},
      {"WS_DLGFRAME", 0x00400000},
      {"WS_SYSMENU", 0x00080000},
      {"WS_MINIMIZEBOX", 0x00020000},
      {"WS_GROUP", 0x00020000},
      {"WS_TABSTOP", 0x00010000},
      {"DS_3DLOOK", 0x0004},
      {"DS_SETFONT", 0x0040},
      {"DS_MODALFRAME", 0x0080},
      {"DS_CENTER", 0x0800},
      {"WS_EX_DLGMODALFRAME", 0x00000001},
      {"WS_EX_TOPMOST", 0x00000008},
      {"WS_EX_TOOLWINDOW", 0x00000080},
      {"WS_EX_APPWINDOW", 0x00040000},
      {"BS_PUSHBUTTON", 0x0},
      {"BS_DEFPUSHBUTTON", 0x1},
      {"BS_AUTOCHECKBOX", 0x3},
      {"BS_GROUPBOX", 0x7},
      {"BS_AUTORADIOBUTTON", 0x9},
      {"BS_MULTILINE", 0x2000},
      {"SS_LEFT", 0x0},
      {"SS_CENTER", 0x1},
      {"SS_RIGHT", 0x2},
      {"SS_ICON", 0x3},
      {"SS_NOPREFIX", 0x80},
      {"LANG_NEUTRAL", 0x00},
      {"LANG_CHINESE", 0x04},
      {"LANG_ENGLISH", 0x09},
      {"LANG_FRENCH", 0x0C},
      {"LANG_JAPANESE", 0x11},
      {"LANG_KOREAN", 0x12},
      {"SUBLANG_NEUTRAL", 0x00},
      {"SUBLANG_DEFAULT", 0x01},
      {"SUBLANG_ENGLISH_US", 0x01},
      {"SUBLANG_CHINESE_TRADITIONAL", 0x01},
      {"SUBLANG_FRENCH", 0x01},
      {"SUBLANG_JAPANESE_JAPAN", 0x01},
      {"SUBLANG_KOREAN", 0x01},
  };
  return table;
}

constexpr uint32_t kWsChild = 0x40000000;
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsDisabled = 0x08000000;
constexpr uint32_t kWsGroup = 0x00020000;
constexpr uint32_t kWsTabStop = 0x00010000;
constexpr uint32_t kButtonTypeMask = 0x0F;
constexpr uint32_t kStaticTypeMask = 0x1F;
constexpr uint32_t kSsIcon = 0x3;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

int64_t ParseNumber(const std::string& text, const std::string& where) {
  size_t used = 0;
  int64_t value = 0;
  try {
    value = std::stoll(text, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  // A trailing L (long constant) is allowed, as in the resource compiler.
  if (used == 0 || (used != text.size() && text.substr(used) != "L")) {
    throw std::runtime_error(where + ": not a number: " + text);
  }
  return value;
}

// The #define lines of resource.h: "#define NAME value".
std::map<std::string, int64_t> ReadResourceIds(const std::string& path) {
  std::map<std::string, int64_t> ids;
  std::istringstream lines(ReadFile(path));
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::istringstream words(line);
    std::string directive, name, value;
    words >> directive;
    if (directive != "#define") continue;
    if (!(words >> name >> value)) {
      throw std::runtime_error(path + ":" + std::to_string(number) + ": incomplete #define");
    }
    ids[name] = ParseNumber(value, path + ":" + std::to_string(number));
  }
  return ids;
}

struct Token {
  enum Kind { Name, Number, String, Punct, End } kind;
  std::string text;
  int line;
};

std::vector<Token> Tokenize(const std::string& source, const std::string& file) {
  std::vector<Token> tokens;
  size_t i = 0;
  int line = 1;
  bool lineStart = true;
  auto fail = [&](const std::string& what) {
    throw std::runtime_error(file + ":" + std::to_string(line) + ": " + what);
  };
  while (i < source.size()) {
    const char c = source[i];
    if (c == '\n') {
      ++line;
      lineStart = true;
      ++i;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (lineStart && c == '#') {
      // Preprocessor lines (#pragma, #include) carry nothing the templates need.
      while (i < source.size() && source[i] != '\n') ++i;
    } else if (source.compare(i, 2, "//") == 0) {
      while (i < source.size() && source[i] != '\n') ++i;
    } else if (source.compare(i, 2, "/*") == 0) {
      const size_t end = source.find("*/", i + 2);
      if (end == std::string::npos) fail("unterminated comment");
      for (size_t k = i; k < end; ++k) line += source[k] == '\n';
      i = end + 2;
    } else if (c == '"') {
      std::string text;
      ++i;
      for (;;) {
        if (i >= source.size() || source[i] == '\n') fail("unterminated string");
        if (source[i] == '"') {
          if (i + 1 < source.size() && source[i + 1] == '"') {
            text += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += source[i++];
      }
      tokens.push_back({Token::String, text, line});
      lineStart = false;
    } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
      const size_t start = i;
      while (i < source.size() &&
             (std::isalnum(static_cast<unsigned char>(source[i])) || source[i] == '_')) {
        ++i;
      }
      const std::string word = source.substr(start, i - start);
      tokens.push_back(
          {std::isdigit(static_cast<unsigned char>(c)) ? Token::Number : Token::Name, word, line});
      lineStart = false;
    } else if (std::string(",|-{}()").find(c) != std::string::npos) {
      tokens.push_back({Token::Punct, std::string(1, c), line});
      lineStart = false;
      ++i;
    } else {
      fail(std::string("unexpected character '") + c + "'");
    }
  }
  tokens.push_back({Token::End, "", line});
  return tokens;
}

class Parser {
 public:
  Parser(std::vector<Token> tokens, std::map<std::string, int64_t> names, std::string file)
      : tokens_(std::move(tokens)), names_(std::move(names)), file_(std::move(file)) {}

  LanguageResources Parse() {
    LanguageResources result{file_, -1, {}, {}};
    while (Peek().kind != Token::End) {
      if (IsWord("LANGUAGE")) {
        Next();
        const int64_t primary = Expression();
        Expect(",");
        const int64_t sub = Expression();
        result.languageId = static_cast<int>((sub << 10) | primary);
        continue;
      }
      if (result.languageId < 0) Fail("resource before the LANGUAGE statement");
      if (IsWord("STRINGTABLE")) {
        Next();
        StringTable(result.strings);
        continue;
      }
      const int id = static_cast<int>(Expression());
      if (!IsWord("DIALOG") && !IsWord("DIALOGEX")) Fail("expected DIALOG or DIALOGEX");
      const bool extended = Next().text == "DIALOGEX";
      if (!result.dialogs.emplace(id, Dialog(id, extended)).second) {
        Fail("dialog " + std::to_string(id) + " defined twice");
      }
    }
    if (result.languageId < 0) Fail("no LANGUAGE statement");
    return result;
  }

 private:
  const Token& Peek() const { return tokens_[pos_]; }
  const Token& Next() {
    const Token& token = tokens_[pos_];
    if (token.kind != Token::End) ++pos_;
    return token;
  }
  bool IsWord(const char* word) const { return Peek().kind == Token::Name && Peek().text == word; }
  bool IsPunct(const char* punct) const {
    return Peek().kind == Token::Punct && Peek().text == punct;
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error(file_ + ":" + std::to_string(Peek().line) + ": " + what +
                             (Peek().text.empty() ? "" : " (at '" + Peek().text + "')"));
  }

  void Expect(const char* punct) {
    if (!IsPunct(punct)) Fail(std::string("expected '") + punct + "'");
    Next();
  }

  void SkipComma() {
    if (IsPunct(",")) Next();
  }

  std::string String() {
    if (Peek().kind != Token::String) Fail("expected a string");
    return Next().text;
  }

  int Int() { return static_cast<int>(Expression()); }

  // term ('|' term)*, where a term is a number, a name or '-' term.
  int64_t Expression() {
    int64_t value = Term();
    while (IsPunct("|")) {
      Next();
      value |= Term();
    }
    return value;
  }

  int64_t Term() {
    if (IsPunct("-")) {
      Next();
      return -Term();
    }
    if (IsPunct("(")) {
      Next();
      const int64_t value = Expression();
      Expect(")");
      return value;
    }
    const Token& token = Peek();
    if (token.kind == Token::Number) {
      Next();
      return ParseNumber(token.text, file_ + ":" + std::to_string(token.line));
    }
    if (token.kind == Token::Name) {
      const auto found = names_.find(token.text);
      if (found == names_.end()) Fail("unknown name");
      Next();
      return found->second;
    }
    Fail("expected a number or a name");
  }

  void Begin() {
    if (IsWord("BEGIN") || IsPunct("{")) {
      Next();
      return;
    }
    Fail("expected BEGIN");
  }
  bool AtEnd() const { return IsWord("END") || IsPunct("}"); }

  void StringTable(std::map<int, std::string>& strings) {
    Begin();
    while (!AtEnd()) {
      const int id = Int();
      SkipComma();
      if (!strings.emplace(id, String()).second) {
        Fail("string " + std::to_string(id) + " defined twice");
      }
    }
    Next();
  }

  DialogTemplate Dialog(int id, bool extended) {
    DialogTemplate dialog{id, "", "", 0, 0, 0, 0, 0, extended, {}};
    Int();  // x and y: the dialog is placed by its owner.
    Expect(",");
    Int();
    Expect(",");
    dialog.cx = Int();
    Expect(",");
    dialog.cy = Int();
    while (!IsWord("BEGIN") && !IsPunct("{")) {
      if (Peek().kind != Token::Name) Fail("expected a dialog option");
      const std::string option = Next().text;
      if (option == "STYLE") {
        dialog.style = static_cast<uint32_t>(Expression());
      } else if (option == "EXSTYLE" && extended) {
        dialog.exStyle = static_cast<uint32_t>(Expression());
      } else if (option == "CAPTION") {
        dialog.caption = String();
      } else if (option == "FONT") {
        dialog.pointSize = Int();
        Expect(",");
        dialog.fontName = String();
        // DIALOGEX fonts may add weight, italic and character set.
        for (int extra = 0; extended && extra < 3 && IsPunct(","); ++extra) {
          Next();
          Int();
        }
      } else {
        Fail("unsupported dialog option " + option);
      }
    }
    Begin();
    while (!AtEnd()) dialog.controls.push_back(Control());
    Next();
    return dialog;
  }

  ControlTemplate Control() {
    if (!IsWord("CONTROL")) Fail("expected CONTROL");
    Next();
    ControlTemplate control{};
    control.text = Peek().kind == Token::String ? String() : "#" + std::to_string(Expression());
    Expect(",");
    control.id = Int();
    Expect(",");
    const std::string windowClass = String();
    Expect(",");
    control.style = kWsChild | kWsVisible | static_cast<uint32_t>(Expression());
    for (int* field : {&control.x, &control.y, &control.cx, &control.cy}) {
      Expect(",");
      *field = Int();
    }
    control.groupStart = (control.style & kWsGroup) != 0;
    control.tabStop = (control.style & kWsTabStop) != 0;
    control.disabled = (control.style & kWsDisabled) != 0;
    control.kind = KindOf(windowClass, control.style);
    return control;
  }

  ControlKind KindOf(const std::string& windowClass, uint32_t style) const {
    if (windowClass == "Button") {
      switch (style & kButtonTypeMask) {
        case 0x0:
          return ControlKind::PushButton;
        case 0x1:
          return ControlKind::DefPushButton;
        case 0x3:
          return ControlKind::AutoCheckBox;
        case 0x7:
          return ControlKind::GroupBox;
        case 0x9:
          return ControlKind::AutoRadioButton;
      }
      Fail("unsupported button type");
    }
    if (windowClass == "Static") {
      return (style & kStaticTypeMask) == kSsIcon ? ControlKind::Icon : ControlKind::Static;
    }
    Fail("unsupported control class " + windowClass);
  }

  std::vector<Token> tokens_;
  std::map<std::string, int64_t> names_;
  std::string file_;
  size_t pos_ = 0;
};

}  // namespace

LanguageResources LoadLanguageResources(const std::string& rcPath) {
  std::map<std::string, int64_t> names = WindowsConstants();
  for (const auto& [name, value] : ReadResourceIds(FolderOf(FolderOf(rcPath)) + "/resource.h")) {
    names[name] = value;
  }
  return Parser(Tokenize(ReadFile(rcPath), rcPath), std::move(names), rcPath).Parse();
}

std::string LanguageFolder() { return SOURCE_DIR "/src/res/lang"; }

}  // namespace fake
