#include "fake/FakeFileSystem.h"

#include <algorithm>
#include <cstdio>

#include "fake/PathText.h"
#include "platform/WinApi.h"

namespace fake {

namespace {

std::string StripTrailingSlash(std::string path) {
  while (path.size() > 2 && path.back() == '\\') path.pop_back();
  if (path.size() == 3 && path[1] == ':' && path[2] == '\\') path.pop_back();
  return path;
}

// A C runtime stream over one file of the fake drive. Text mode drops the CR
// of CRLF on reading, while positions stay byte offsets, as the Microsoft
// runtime's ftell reports them.
class FakeStream : public platform::Stream {
 public:
  FakeStream(FakeFileSystem::Node* node, bool text, bool writable)
      : m_node(node), m_text(text), m_writable(writable) {}

  bool GetLine(std::string* line, int bufferSize) override {
    line->clear();
    const std::string& data = m_node->data;
    if (m_position >= data.size()) return false;
    while (m_position < data.size() && static_cast<int>(line->size()) < bufferSize - 1) {
      char c = data[m_position++];
      if (m_text && c == '\r' && m_position < data.size() && data[m_position] == '\n') continue;
      line->push_back(c);
      if (c == '\n') break;
    }
    return true;
  }
  long Tell() override { return static_cast<long>(m_position); }
  bool Seek(long offset, int origin) override {
    long base = origin == SEEK_SET   ? 0
                : origin == SEEK_CUR ? static_cast<long>(m_position)
                                     : static_cast<long>(m_node->data.size());
    if (base + offset < 0) return false;
    m_position = static_cast<size_t>(base + offset);
    return true;
  }
  bool PutChar(char c) override {
    if (!m_writable) return false;
    if (m_position >= m_node->data.size()) m_node->data.resize(m_position + 1, '\0');
    m_node->data[m_position++] = c;
    return true;
  }
  bool Flush() override { return true; }

 private:
  FakeFileSystem::Node* m_node;
  bool m_text;
  bool m_writable;
  size_t m_position = 0;
};

}  // namespace

FakeFileSystem::FakeFileSystem(Journal& journal, LastError& lastError)
    : m_journal(journal), m_lastError(lastError) {
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
    if (WildcardMatch(mask, name)) hits.push_back({node.attributes, name});
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
  std::string target = Absolute(to);
  if (!FolderExists(ParentOf(target))) return Fail(ERROR_PATH_NOT_FOUND);
  if (m_failingCopyTargets.count(Upper(target))) return Fail(ERROR_ACCESS_DENIED);
  if (const Node* existing = Find(target)) {
    if (failIfExists) return Fail(ERROR_ALREADY_EXISTS);
    if (existing->folder || (existing->attributes & FILE_ATTRIBUTE_READONLY)) {
      return Fail(ERROR_ACCESS_DENIED);
    }
  }
  Node copy = *source;  // CopyFileA carries the source's attributes over
  const Node* current = Find(target);
  copy.path = current ? current->path : target;
  m_nodes[Upper(target)] = copy;
  m_journal.Add("copy " + Absolute(from) + " -> " + target);
  return true;
}

bool FakeFileSystem::MoveFile(const std::string& from, const std::string& to) {
  Node* source = Find(from);
  if (!source) return Fail(ERROR_FILE_NOT_FOUND);
  std::string target = Absolute(to);
  if (Find(target)) return Fail(ERROR_ALREADY_EXISTS);
  if (!FolderExists(ParentOf(target))) return Fail(ERROR_PATH_NOT_FOUND);
  Node moved = *source;
  moved.path = target;
  m_nodes.erase(Upper(Absolute(from)));
  m_nodes[Upper(target)] = moved;
  m_journal.Add("move " + Absolute(from) + " -> " + target);
  return true;
}

bool FakeFileSystem::DeleteFile(const std::string& path) {
  const Node* node = Find(path);
  if (!node) return Fail(ERROR_FILE_NOT_FOUND);
  if (node->folder || (node->attributes & FILE_ATTRIBUTE_READONLY)) {
    return Fail(ERROR_ACCESS_DENIED);
  }
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
