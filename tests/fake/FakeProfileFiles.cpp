#include "fake/FakeProfileFiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <vector>

#include "fake/PathText.h"

namespace fake {

namespace {

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// How the profile functions read a file: by its byte-order mark, as Wine
// does (Windows NT reads UTF-16 files with a mark as Unicode too). Text
// read from a Unicode file reaches the ANSI functions in the ANSI code page;
// here every character beyond ASCII becomes '?'.
enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

Encoding EncodingOf(const std::string& data) {
  if (data.starts_with("\xEF\xBB\xBF")) return Encoding::Utf8;
  if (data.starts_with("\xFF\xFE")) return Encoding::Utf16Le;
  if (data.starts_with("\xFE\xFF")) return Encoding::Utf16Be;
  return Encoding::Ansi;
}

std::string Decode(const std::string& data) {
  const Encoding encoding = EncodingOf(data);
  if (encoding == Encoding::Ansi) return data;
  std::string text;
  if (encoding == Encoding::Utf8) {
    for (size_t i = 3; i < data.size(); ++i) {
      const unsigned char byte = static_cast<unsigned char>(data[i]);
      // A sequence's first byte stands for its character; the rest are dropped.
      if (byte < 0x80) {
        text += data[i];
      } else if (byte >= 0xC0) {
        text += '?';
      }
    }
    return text;
  }
  const bool little = encoding == Encoding::Utf16Le;
  for (size_t i = 2; i + 1 < data.size(); i += 2) {
    const unsigned char low = static_cast<unsigned char>(data[little ? i : i + 1]);
    const unsigned char high = static_cast<unsigned char>(data[little ? i + 1 : i]);
    const unsigned unit = low | (high << 8);
    if (unit >= 0xDC00 && unit < 0xE000) continue;  // second half of a surrogate pair
    text += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return text;
}

std::vector<std::string> SplitLines(const std::string& data) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The section name of a "[name]" line, or false.
bool SectionName(const std::string& line, std::string* name) {
  std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != '[') return false;
  size_t close = trimmed.rfind(']');
  if (close == std::string::npos) close = trimmed.size();
  *name = Trim(trimmed.substr(1, close - 1));
  return true;
}

// The key and value of a "key=value" line, or false.
bool KeyValue(const std::string& line, std::string* key, std::string* value) {
  size_t equals = line.find('=');
  if (equals == std::string::npos) return false;
  *key = Trim(line.substr(0, equals));
  *value = Trim(line.substr(equals + 1));
  return true;
}

}  // namespace

FakeProfileFiles::FakeProfileFiles(FakeFileSystem& files, Journal& journal)
    : m_files(files), m_journal(journal) {}

std::string FakeProfileFiles::Resolve(const std::string& file) const {
  if (file.find('\\') != std::string::npos) return file;
  return m_files.GetWindowsDirectory(260) + "\\" + file;
}

bool FakeProfileFiles::Lookup(const std::string& section, const std::string& key,
                              const std::string& file, std::string* value) {
  std::string path = Resolve(file);
  if (!m_files.FileExists(path)) return false;
  std::string current;
  bool inSection = false, sectionSeen = false;
  for (const std::string& line : SplitLines(Decode(m_files.Contents(path)))) {
    if (SectionName(line, &current)) {
      // Only the first section of a name is looked at.
      if (inSection) return false;
      inSection = !sectionSeen && EqualsNoCase(current, Trim(section));
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    std::string k, v;
    if (inSection && KeyValue(line, &k, &v) && EqualsNoCase(k, Trim(key))) {
      if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
      *value = v;
      return true;
    }
  }
  return false;
}

uint32_t FakeProfileFiles::GetInt(const std::string& section, const std::string& key,
                                  int defaultValue, const std::string& file) {
  ++m_reads[Upper(m_files.Absolute(Resolve(file)))];
  std::string value;
  if (!Lookup(section, key, file, &value) || value.empty()) {
    return static_cast<uint32_t>(defaultValue);
  }
  // Leading digits only, as RtlCharToInteger reads them: a sign, then "0x",
  // "0o" or "0b" for hexadecimal, octal or binary; the result wraps at 32 bits.
  const char* text = value.c_str();
  bool negative = false;
  if (*text == '-' || *text == '+') negative = *text++ == '-';
  int base = 10;
  if (text[0] == '0') {
    const char prefix = static_cast<char>(std::tolower(static_cast<unsigned char>(text[1])));
    base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
    if (base != 10) text += 2;
  }
  uint32_t result = 0;
  for (; *text; ++text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    const int digit = std::isdigit(c) ? c - '0' : std::isalpha(c) ? std::toupper(c) - 'A' + 10 : -1;
    if (digit < 0 || digit >= base) break;
    result = result * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  return negative ? 0u - result : result;
}

std::string FakeProfileFiles::GetString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue, uint32_t bufferSize,
                                        const std::string& file) {
  ++m_reads[Upper(m_files.Absolute(Resolve(file)))];
  std::string value;
  if (!Lookup(section, key, file, &value)) {
    value = defaultValue;
    while (!value.empty() && value.back() == ' ') value.pop_back();
  }
  if (bufferSize == 0) return std::string();
  if (value.size() > bufferSize - 1) value.resize(bufferSize - 1);
  return value;
}

bool FakeProfileFiles::WriteString(const std::string& section, const std::string& key,
                                   const std::string& value, const std::string& file) {
  std::string path = Resolve(file);
  if (!m_files.FileExists(path)) {
    if (!m_files.FolderExists(ParentOf(m_files.Absolute(path)))) return false;
    m_files.AddFile(path, "");
  }
  if (m_files.Attributes(path) & 0x01) return false;  // read-only
  if (EncodingOf(m_files.Contents(path)) != Encoding::Ansi) {
    ADD_FAILURE() << "the fake writes ANSI profile files only: " << path;
    return false;
  }
  std::vector<std::string> lines = SplitLines(m_files.Contents(path));
  std::string current;
  int sectionLine = -1, lastLineOfSection = -1;
  bool done = false;
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    if (SectionName(lines[i], &current)) {
      if (sectionLine >= 0) break;
      if (EqualsNoCase(current, Trim(section)))
        sectionLine = lastLineOfSection = static_cast<int>(i);
      continue;
    }
    if (sectionLine < 0) continue;
    std::string k, v;
    if (KeyValue(lines[i], &k, &v) && EqualsNoCase(k, Trim(key))) {
      lines[i] = k + "=" + value;
      done = true;
    } else if (!Trim(lines[i]).empty()) {
      lastLineOfSection = static_cast<int>(i);
    }
  }
  if (!done) {
    if (sectionLine >= 0) {
      lines.insert(lines.begin() + lastLineOfSection + 1, key + "=" + value);
    } else {
      lines.push_back("[" + section + "]");
      lines.push_back(key + "=" + value);
    }
  }
  std::string data;
  for (const std::string& line : lines) data += line + "\r\n";
  m_files.AddFile(path, data, m_files.Attributes(path));
  m_journal.Add("profile " + m_files.Absolute(path) + " [" + section + "] " + key + "=" + value);
  return true;
}

int FakeProfileFiles::Reads(const std::string& file) const {
  auto it = m_reads.find(Upper(m_files.Absolute(Resolve(file))));
  return it == m_reads.end() ? 0 : it->second;
}

bool FakeProfileFiles::Has(const std::string& section, const std::string& key,
                           const std::string& file) {
  std::string value;
  return Lookup(section, key, file, &value);
}

std::string FakeProfileFiles::Get(const std::string& section, const std::string& key,
                                  const std::string& file) {
  std::string value;
  Lookup(section, key, file, &value);
  return value;
}

}  // namespace fake
