// An in-memory drive tree that behaves like the Win32 file functions:
// case-insensitive names, read-only files that refuse deletion and
// overwriting, CopyFileA carrying the source's attributes, "." and ".." in
// folder searches, fopen modes, and moves at the next start noted in the
// registry as Windows notes them.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fake/FakeRegistry.h"
#include "fake/Journal.h"
#include "platform/FileSystem.h"

namespace fake {

class FakeFileSystem : public platform::FileSystem {
 public:
  FakeFileSystem(Journal& journal, LastError& lastError, FakeRegistry& registry);

  // Seeding and inspection (tests only).
  void AddFile(const std::string& path, const std::string& contents, uint32_t attributes = 0x20);
  void AddFolder(const std::string& path);
  bool FileExists(const std::string& path) const;
  bool FolderExists(const std::string& path) const;
  std::string Contents(const std::string& path) const;
  uint32_t Attributes(const std::string& path) const;
  // Names of the files (not folders) directly in a folder, sorted.
  std::vector<std::string> FilesIn(const std::string& folder) const;
  void SetWindowsDirectoryText(const std::string& path) { m_windowsDirectory = path; }
  // The text GetCurrentDirectory returns, whatever it holds (fuzzing only;
  // tests enter existing folders with SetCurrentDirectory).
  void SetCurrentDirectoryText(const std::string& path) { m_currentDirectory = path; }
  // Makes CopyFile to this destination fail (a full disc, a locked file).
  void FailCopiesTo(const std::string& path);
  // Another program holds the file open without sharing (or runs it): fopen,
  // CopyFile from or onto it and DeleteFile fail with a sharing violation.
  void LockFile(const std::string& path);
  // File searches opened by FindFirstFile and not yet closed.
  size_t OpenSearches() const { return m_searches.size(); }
  // Absolute form of a path, relative ones taken from the current directory.
  std::string Absolute(const std::string& path) const;
  // CopyFileA over an existing file is not atomic: the target is cut to
  // nothing first and written whole after. Called at that moment, with the
  // target empty (a power cut there leaves it so).
  void OnCopyHalfDone(std::function<void()> callback) { m_copyHalfDone = std::move(callback); }
  // What Windows does with the moves noted for its next start, before any
  // program runs: each in turn, a missing source skipped, an existing target
  // replaced only when the move says so; then the note is gone. Nothing is
  // locked any more: the programs of the last session have ended.
  void PerformMovesAtStart();

  // The files and folders as they would survive a power cut.
  struct Node;
  using State = std::map<std::string, Node>;
  State SaveState() const { return m_nodes; }
  void RestoreState(const State& state) { m_nodes = state; }

  // platform::FileSystem
  std::string GetWindowsDirectory(uint32_t bufferSize) override;
  std::string GetCurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  platform::FindHandle FindFirstFile(const std::string& pattern, platform::FindData* data) override;
  bool FindNextFile(platform::FindHandle handle, platform::FindData* data) override;
  void FindClose(platform::FindHandle handle) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool MoveFileReplacing(const std::string& from, const std::string& to) override;
  bool MoveFileAtRestart(const std::string& from, const std::string& to) override;
  bool DeleteFileAtRestart(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
  std::unique_ptr<platform::Stream> OpenStream(const std::string& path,
                                               const std::string& mode) override;

  struct Node {
    std::string path;  // as first written
    bool folder = false;
    std::string data;
    uint32_t attributes = 0;
  };

 private:
  bool HasSubfolder(const std::string& path) const;
  Node* Find(const std::string& path);
  const Node* Find(const std::string& path) const;
  bool Fail(uint32_t code);

  Journal& m_journal;
  LastError& m_lastError;
  FakeRegistry& m_registry;
  std::map<std::string, Node> m_nodes;  // keyed by upper-cased absolute path
  std::string m_windowsDirectory = "C:\\WINDOWS";
  std::string m_currentDirectory = "C:\\";
  std::map<platform::FindHandle, std::vector<platform::FindData>> m_searches;
  platform::FindHandle m_nextSearch = 1;
  std::set<std::string> m_failingCopyTargets;
  std::set<std::string> m_lockedFiles;  // upper-cased absolute paths
  std::function<void()> m_copyHalfDone;
};

}  // namespace fake
