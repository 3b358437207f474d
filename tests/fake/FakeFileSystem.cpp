#include "fake/FakeFileSystem.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "fake/PathText.h"
#include "platform/WinApi.h"

namespace fake {

namespace {

std::string StripTrailingSlash(std::string path) {
  while (path.size() > 2 && path.back() == '\\') path.pop_back();
  if (path.size() == 3 && path[1] == ':' && path[2] == '\\') path.pop_back();
  return path;
}

// A C runtime stream over one file of the fake drive, as the Microsoft
// runtime behaves. fgets hands back a C string, so a zero byte ends the text
// the caller sees although the read goes on to the line end.
//
// Binary mode reads and writes bytes; positions are byte offsets.
//
// Text mode reads through a buffer of 4096 bytes in which CRLF has become LF,
// and ftell works the position out from that buffer by assuming that every LF
// in it stood for CRLF in the file. For a file with CRLF line ends that gives
// the byte offset; for LF-only lines it does not: while the buffer reaches
// the end of the file ftell is short by the bare LFs not read yet, otherwise
// it is over by the bare LFs already read from the buffer (Wine's runtime
// agrees). fputc writes LF as CRLF.
class FakeStream : public platform::Stream {
 public:
  FakeStream(FakeFileSystem::Node* node, bool text, bool writable)
      : m_node(node), m_text(text), m_writable(writable) {}

  bool GetLine(std::string* line, int bufferSize) override {
    line->clear();
    bool readAny = false;
    while (static_cast<int>(line->size()) < bufferSize - 1) {
      int c = m_text ? NextTextChar() : NextByte();
      if (c < 0) break;
      readAny = true;
      line->push_back(static_cast<char>(c));
      if (c == '\n') break;
    }
    line->resize(std::char_traits<char>::length(line->c_str()));
    return readAny;
  }
  long Tell() override {
    if (!m_text || m_consumed >= m_buffer.size()) return static_cast<long>(m_position);
    const auto lfsIn = [this](size_t count) {
      return static_cast<long>(std::count(m_buffer.begin(), m_buffer.begin() + count, '\n'));
    };
    // The bytes the last fill read from the file, as the runtime reckons them.
    const long filled = m_position == m_node->data.size()
                            ? static_cast<long>(m_buffer.size()) + lfsIn(m_buffer.size())
                            : static_cast<long>(m_filledBytes) + (m_startsWithLf ? 1 : 0);
    return static_cast<long>(m_position) - filled + static_cast<long>(m_consumed) +
           lfsIn(m_consumed);
  }
  bool Seek(long offset, int origin) override {
    long base = origin == SEEK_SET   ? 0
                : origin == SEEK_CUR ? Tell()
                                     : static_cast<long>(m_node->data.size());
    if (base + offset < 0) return false;
    m_position = static_cast<size_t>(base + offset);
    m_buffer.clear();
    m_consumed = 0;
    return true;
  }
  bool PutChar(char c) override {
    if (!m_writable) return false;
    if (m_text && c == '\n') Put('\r');
    Put(c);
    return true;
  }
  bool Flush() override { return true; }

 private:
  static constexpr size_t kBufferSize = 4096;

  int NextByte() {
    if (m_position >= m_node->data.size()) return -1;
    return static_cast<unsigned char>(m_node->data[m_position++]);
  }
  int NextTextChar() {
    if (m_consumed >= m_buffer.size()) Fill();
    if (m_consumed >= m_buffer.size()) return -1;
    return static_cast<unsigned char>(m_buffer[m_consumed++]);
  }
  // Reads the next 4096 bytes into the buffer, CRLF turned into LF. A CR that
  // ends the chunk is dropped when an LF follows it in the file; that LF
  // starts the next fill.
  void Fill() {
    const std::string& data = m_node->data;
    const size_t end = std::min(data.size(), m_position + kBufferSize);
    m_buffer.clear();
    m_consumed = 0;
    m_startsWithLf = m_position < end && data[m_position] == '\n';
    for (size_t i = m_position; i < end; ++i) {
      const bool lfFollows = i + 1 < data.size() && data[i + 1] == '\n';
      if (data[i] == '\r' && lfFollows) continue;
      m_buffer.push_back(data[i]);
    }
    m_filledBytes = end - m_position;
    m_position = end;
  }
  void Put(char c) {
    std::string& data = m_node->data;
    if (m_position >= data.size()) data.resize(m_position + 1, '\0');
    data[m_position++] = c;
  }

  FakeFileSystem::Node* m_node;
  bool m_text;
  bool m_writable;
  size_t m_position = 0;  // binary: the stream's position; text: the file's, after the last fill
  std::string m_buffer;   // text mode: the last fill, translated
  size_t m_consumed = 0;  // text mode: characters of m_buffer read so far
  size_t m_filledBytes = 0;
  // A fill that starts with LF is reckoned one byte longer: the runtime takes
  // that LF for the end of a CRLF whose CR ended the fill before.
  bool m_startsWithLf = false;
};

}  // namespace

namespace {

// The moves noted for the next start, as (source, target) pairs: texts each
// ended by a zero, a delete's target empty, and a zero after the last pair.
using Moves = std::vector<std::pair<std::string, std::string>>;

Moves PendingMoves(const FakeRegistry& registry) {
  Moves moves;
  const auto value =
      registry.Value(platform::Hive::LocalMachine, kSessionManagerKey, kPendingMovesValue);
  if (!value) return moves;
  std::istringstream texts(value->data);
  std::string source, target;
  while (std::getline(texts, source, '\0') && !source.empty()) {
    if (!std::getline(texts, target, '\0')) target.clear();
    moves.emplace_back(source, target);
  }
  return moves;
}

void SetPendingMoves(FakeRegistry& registry, const Moves& moves) {
  if (moves.empty()) {
    registry.RemoveValue(platform::Hive::LocalMachine, kSessionManagerKey, kPendingMovesValue);
    return;
  }
  std::string data;
  for (const auto& [source, target] : moves) data += source + '\0' + target + '\0';
  registry.SetRaw(platform::Hive::LocalMachine, kSessionManagerKey, kPendingMovesValue,
                  REG_MULTI_SZ, data + '\0');
}

}  // namespace

FakeFileSystem::FakeFileSystem(Journal& journal, LastError& lastError, FakeRegistry& registry)
    : m_journal(journal), m_lastError(lastError), m_registry(registry) {
  AddFolder("C:\\");
  AddFolder(m_windowsDirectory);
}

std::string FakeFileSystem::Absolute(const std::string& path) const {
  std::string result = path;
  if (result.size() >= 2 && result[0] == '\\' && result[1] == '\\') {
    return StripTrailingSlash(result);  // network path
  }
  if (result.size() < 2 || result[1] != ':') {
    std::string drive = m_currentDirectory.substr(0, 2);
    if (!result.empty() && result[0] == '\\') {
      result = drive + result;
    } else {
      std::string base = StripTrailingSlash(m_currentDirectory);
      result = base + "\\" + result;
    }
  }
  // Resolve "." and ".." segments.
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= result.size()) {
    size_t end = result.find('\\', start);
    if (end == std::string::npos) end = result.size();
    std::string part = result.substr(start, end - start);
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (part != "." && !(part.empty() && !parts.empty())) {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i) joined += (i ? "\\" : "") + parts[i];
  return StripTrailingSlash(joined);
}

FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) {
  auto it = m_nodes.find(Upper(Absolute(path)));
  return it == m_nodes.end() ? nullptr : &it->second;
}

const FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) const {
  auto it = m_nodes.find(Upper(Absolute(path)));
  return it == m_nodes.end() ? nullptr : &it->second;
}

bool FakeFileSystem::Fail(uint32_t code) {
  m_lastError.code = code;
  return false;
}

void FakeFileSystem::AddFolder(const std::string& path) {
  std::string absolute = Absolute(path);
  std::string parent = ParentOf(absolute);
  if (!parent.empty() && !FolderExists(parent)) AddFolder(parent);
  Node& node = m_nodes[Upper(absolute)];
  node.path = absolute;
  node.folder = true;
  node.attributes = FILE_ATTRIBUTE_DIRECTORY;
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& contents,
                             uint32_t attributes) {
  std::string absolute = Absolute(path);
  AddFolder(ParentOf(absolute));
  Node& node = m_nodes[Upper(absolute)];
  node.path = absolute;
  node.folder = false;
  node.data = contents;
  node.attributes = attributes;
}

bool FakeFileSystem::FileExists(const std::string& path) const {
  const Node* node = Find(path);
  return node && !node->folder;
}

bool FakeFileSystem::FolderExists(const std::string& path) const {
  const Node* node = Find(path);
  return node && node->folder;
}

std::string FakeFileSystem::Contents(const std::string& path) const {
  const Node* node = Find(path);
  return node ? node->data : std::string();
}

uint32_t FakeFileSystem::Attributes(const std::string& path) const {
  const Node* node = Find(path);
  return node ? node->attributes : INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FakeFileSystem::FilesIn(const std::string& folder) const {
  std::string parentKey = Upper(Absolute(folder));
  std::vector<std::string> names;
  for (const auto& [key, node] : m_nodes) {
    if (!node.folder && Upper(ParentOf(node.path)) == parentKey) names.push_back(NameOf(node.path));
  }
  return names;
}

void FakeFileSystem::FailCopiesTo(const std::string& path) {
  m_failingCopyTargets.insert(Upper(Absolute(path)));
}

void FakeFileSystem::LockFile(const std::string& path) {
  m_lockedFiles.insert(Upper(Absolute(path)));
}

std::string FakeFileSystem::GetWindowsDirectory(uint32_t bufferSize) {
  if (m_windowsDirectory.size() + 1 > bufferSize) return std::string();
  return m_windowsDirectory;
}

std::string FakeFileSystem::GetCurrentDirectory() { return m_currentDirectory; }

bool FakeFileSystem::SetCurrentDirectory(const std::string& path) {
  if (!FolderExists(path)) return Fail(ERROR_FILE_NOT_FOUND);
  std::string absolute = Absolute(path);
  m_currentDirectory = absolute.size() == 2 ? absolute + "\\" : absolute;
  m_journal.Add("cd " + m_currentDirectory);
  return true;
}

bool FakeFileSystem::CreateDirectory(const std::string& path) {
  std::string absolute = Absolute(path);
  if (Find(absolute)) return Fail(ERROR_ALREADY_EXISTS);
  if (!FolderExists(ParentOf(absolute))) return Fail(ERROR_PATH_NOT_FOUND);
  AddFolder(absolute);
  m_journal.Add("mkdir " + absolute);
  return true;
}

platform::FindHandle FakeFileSystem::FindFirstFile(const std::string& pattern,
                                                   platform::FindData* data) {
  std::string absolute = Absolute(pattern);
  std::string folder = ParentOf(absolute);
  std::string mask = NameOf(absolute);
  if (!FolderExists(folder)) {
    Fail(ERROR_PATH_NOT_FOUND);
    return 0;
  }
  std::vector<platform::FindData> hits;
  bool isRoot = folder.size() == 2;
  if (!isRoot) {
    for (const char* dots : {".", ".."}) {
      if (WildcardMatch(mask, dots)) hits.push_back({FILE_ATTRIBUTE_DIRECTORY, dots});
    }
  }
  std::string folderKey = Upper(folder);
  for (const auto& [key, node] : m_nodes) {
    if (Upper(ParentOf(node.path)) != folderKey || key == folderKey) continue;
    std::string name = NameOf(node.path);
    if (WildcardMatch(mask, name)) hits.push_back({node.attributes, name, node.data.size()});
  }
  if (hits.empty()) {
    Fail(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  *data = hits.front();
  hits.erase(hits.begin());
  platform::FindHandle handle = m_nextSearch++;
  m_searches[handle] = hits;
  return handle;
}

bool FakeFileSystem::FindNextFile(platform::FindHandle handle, platform::FindData* data) {
  auto it = m_searches.find(handle);
  if (it == m_searches.end()) return Fail(ERROR_INVALID_HANDLE);
  if (it->second.empty()) return Fail(ERROR_NO_MORE_FILES);
  *data = it->second.front();
  it->second.erase(it->second.begin());
  return true;
}

void FakeFileSystem::FindClose(platform::FindHandle handle) { m_searches.erase(handle); }

bool FakeFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  const Node* source = Find(from);
  if (!source || source->folder) return Fail(ERROR_FILE_NOT_FOUND);
  if (m_lockedFiles.count(Upper(Absolute(from)))) return Fail(ERROR_SHARING_VIOLATION);
  std::string target = Absolute(to);
  if (!FolderExists(ParentOf(target))) return Fail(ERROR_PATH_NOT_FOUND);
  if (m_failingCopyTargets.count(Upper(target))) return Fail(ERROR_ACCESS_DENIED);
  if (m_lockedFiles.count(Upper(target)) && Find(target)) return Fail(ERROR_SHARING_VIOLATION);
  if (const Node* existing = Find(target)) {
    if (failIfExists) return Fail(ERROR_ALREADY_EXISTS);
    if (existing->folder || (existing->attributes & FILE_ATTRIBUTE_READONLY)) {
      return Fail(ERROR_ACCESS_DENIED);
    }
  }
  Node copy = *source;  // CopyFileA carries the source's attributes over
  const Node* current = Find(target);
  copy.path = current ? current->path : target;
  if (current && m_copyHalfDone) {
    Node emptied = *current;
    emptied.data.clear();
    m_nodes[Upper(target)] = emptied;
    m_copyHalfDone();
  }
  m_nodes[Upper(target)] = copy;
  m_journal.Add("copy " + Absolute(from) + " -> " + target);
  return true;
}

bool FakeFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  const Node* source = Find(from);
  if (!source || source->folder) return Fail(ERROR_FILE_NOT_FOUND);
  const std::string target = Absolute(to);
  if (!FolderExists(ParentOf(target))) return Fail(ERROR_PATH_NOT_FOUND);
  if (m_failingCopyTargets.count(Upper(target))) return Fail(ERROR_ACCESS_DENIED);
  const Node* existing = Find(target);
  if (existing) {
    // A file in use, a running program above all, is not replaced.
    if (m_lockedFiles.count(Upper(target))) return Fail(ERROR_ACCESS_DENIED);
    if (existing->folder || (existing->attributes & FILE_ATTRIBUTE_READONLY)) {
      return Fail(ERROR_ACCESS_DENIED);
    }
  }
  Node moved = *source;
  moved.path = existing ? existing->path : target;
  m_nodes.erase(Upper(Absolute(from)));
  m_nodes[Upper(target)] = moved;
  m_journal.Add("replace " + Absolute(from) + " -> " + target);
  return true;
}

bool FakeFileSystem::MoveFileAtRestart(const std::string& from, const std::string& to) {
  const Node* source = Find(from);
  if (!source || source->folder) return Fail(ERROR_FILE_NOT_FOUND);
  if (m_registry.FullAccessDenied(platform::Hive::LocalMachine, kSessionManagerKey)) {
    return Fail(ERROR_ACCESS_DENIED);
  }
  Moves moves = PendingMoves(m_registry);
  moves.emplace_back("\\??\\" + Absolute(from), "!\\??\\" + Absolute(to));
  SetPendingMoves(m_registry, moves);
  m_journal.Add("at restart " + Absolute(from) + " -> " + Absolute(to));
  return true;
}

bool FakeFileSystem::DeleteFileAtRestart(const std::string& path) {
  if (!Find(path)) return Fail(ERROR_FILE_NOT_FOUND);
  if (m_registry.FullAccessDenied(platform::Hive::LocalMachine, kSessionManagerKey)) {
    return Fail(ERROR_ACCESS_DENIED);
  }
  Moves moves = PendingMoves(m_registry);
  moves.emplace_back("\\??\\" + Absolute(path), "");
  SetPendingMoves(m_registry, moves);
  m_journal.Add("delete at restart " + Absolute(path));
  return true;
}

bool FakeFileSystem::RemoveDirectory(const std::string& path) {
  const Node* node = Find(path);
  if (!node || !node->folder) return Fail(ERROR_FILE_NOT_FOUND);
  if (!FilesIn(path).empty() || HasSubfolder(path)) return Fail(ERROR_DIR_NOT_EMPTY);
  m_journal.Add("rmdir " + node->path);
  m_nodes.erase(Upper(Absolute(path)));
  return true;
}

bool FakeFileSystem::HasSubfolder(const std::string& path) const {
  const std::string key = Upper(StripTrailingSlash(Absolute(path)));
  for (const auto& [other, node] : m_nodes) {
    if (node.folder && Upper(ParentOf(node.path)) == key && other != key) return true;
  }
  return false;
}

void FakeFileSystem::PerformMovesAtStart() {
  m_lockedFiles.clear();
  const auto path = [](std::string entry) {
    if (entry.starts_with("!")) entry.erase(0, 1);
    return entry.starts_with("\\??\\") ? entry.substr(4) : entry;
  };
  for (const auto& [from, to] : PendingMoves(m_registry)) {
    auto source = m_nodes.find(Upper(path(from)));
    if (source == m_nodes.end()) continue;
    if (to.empty()) {
      // A folder goes only when it is empty.
      if (!source->second.folder ||
          (FilesIn(source->second.path).empty() && !HasSubfolder(source->second.path))) {
        m_nodes.erase(source);
      }
      continue;
    }
    if (source->second.folder) continue;
    const std::string target = path(to);
    auto existing = m_nodes.find(Upper(target));
    if (existing != m_nodes.end() && (!to.starts_with("!") || existing->second.folder)) continue;
    Node moved = source->second;
    moved.path = existing != m_nodes.end() ? existing->second.path : target;
    m_nodes.erase(source);
    m_nodes[Upper(target)] = moved;
  }
  SetPendingMoves(m_registry, {});
}

bool FakeFileSystem::DeleteFile(const std::string& path) {
  const Node* node = Find(path);
  if (!node) return Fail(ERROR_FILE_NOT_FOUND);
  if (node->folder || (node->attributes & FILE_ATTRIBUTE_READONLY)) {
    return Fail(ERROR_ACCESS_DENIED);
  }
  if (m_lockedFiles.count(Upper(Absolute(path)))) return Fail(ERROR_SHARING_VIOLATION);
  m_journal.Add("delete " + node->path);
  m_nodes.erase(Upper(Absolute(path)));
  return true;
}

bool FakeFileSystem::SetFileAttributes(const std::string& path, uint32_t attributes) {
  Node* node = Find(path);
  if (!node) return Fail(ERROR_FILE_NOT_FOUND);
  node->attributes = node->folder ? (attributes | FILE_ATTRIBUTE_DIRECTORY) : attributes;
  return true;
}

std::unique_ptr<platform::Stream> FakeFileSystem::OpenStream(const std::string& path,
                                                             const std::string& mode) {
  bool text = mode.find('b') == std::string::npos;
  bool update = mode.find('+') != std::string::npos;
  Node* node = Find(path);
  if (node && m_lockedFiles.count(Upper(Absolute(path)))) {
    Fail(ERROR_SHARING_VIOLATION);
    return nullptr;
  }
  if (mode[0] == 'r') {
    if (!node || node->folder) {
      Fail(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    if (update && (node->attributes & FILE_ATTRIBUTE_READONLY)) {
      Fail(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    return std::make_unique<FakeStream>(node, text, update);
  }
  // "w" and "a": create or truncate.
  if (node && (node->folder || (node->attributes & FILE_ATTRIBUTE_READONLY))) {
    Fail(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  std::string absolute = Absolute(path);
  if (!FolderExists(ParentOf(absolute))) {
    Fail(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  if (!node) AddFile(absolute, "", FILE_ATTRIBUTE_ARCHIVE);
  node = Find(absolute);
  if (mode[0] == 'w') node->data.clear();
  auto stream = std::make_unique<FakeStream>(node, text, true);
  if (mode[0] == 'a') stream->Seek(0, SEEK_END);
  return stream;
}

}  // namespace fake
