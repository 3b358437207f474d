#include "common/MovesAtRestart.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "common/Paths.h"
#include "common/RegistryKey.h"
#include "platform/WinApi.h"

namespace {

constexpr const char* kSessionManagerKey = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingMovesValue = "PendingFileRenameOperations";
// Far more than the few moves a machine has pending; a larger note is left alone.
constexpr uint32_t kNoteBufferSize = 64 * 1024;

using Moves = std::vector<std::pair<std::string, std::string>>;

// REG_MULTI_SZ of (source, target) pairs: texts each ended by a zero, where
// the target of a deletion is empty, and a zero after the last pair.
Moves ParseMoves(const std::string& data) {
  Moves moves;
  const auto next = [&data](size_t* at) {
    const size_t zero = std::min(data.find('\0', *at), data.size());
    std::string text = data.substr(*at, zero - *at);
    *at = zero + 1;
    return text;
  };
  for (size_t at = 0; at < data.size();) {
    std::string source = next(&at);
    if (source.empty()) break;
    moves.emplace_back(std::move(source), at < data.size() ? next(&at) : std::string());
  }
  return moves;
}

// The note names files by their NT path: "\??\C:\...".
std::string NotedPath(const std::string& entry) {
  return entry.rfind("\\??\\", 0) == 0 ? entry.substr(4) : entry;
}

// Reads the note through an open key; ERROR_SUCCESS, or the read's error.
uint32_t ReadMoves(platform::Registry& registry, RegistryKey& key, Moves* moves) {
  std::string data;
  uint32_t type = 0;
  const uint32_t read =
      registry.QueryValue(key.Handle(), kPendingMovesValue, kNoteBufferSize, &data, &type);
  if (read == ERROR_SUCCESS) *moves = ParseMoves(data);
  return read;
}

}  // namespace

bool CancelMovesAtRestart(platform::Platform& platform, const std::string& source) {
  RegistryKey key(platform.registry);
  if (!key.Open(platform::Hive::LocalMachine, kSessionManagerKey, KEY_ALL_ACCESS)) return false;
  Moves kept;
  const uint32_t read = ReadMoves(platform.registry, key, &kept);
  if (read == ERROR_FILE_NOT_FOUND) return true;
  if (read != ERROR_SUCCESS) return false;

  const size_t before = kept.size();
  std::erase_if(kept, [&](const auto& move) {
    return SamePath(platform.system, NotedPath(move.first), source);
  });
  if (kept.size() == before) return true;
  if (kept.empty()) {
    return platform.registry.DeleteValue(key.Handle(), kPendingMovesValue) == ERROR_SUCCESS;
  }
  std::string note;
  for (const auto& [from, to] : kept) note += from + '\0' + to + '\0';
  return platform.registry.SetValue(key.Handle(), kPendingMovesValue, REG_MULTI_SZ, note + '\0') ==
         ERROR_SUCCESS;
}

bool IsMovedAtRestart(platform::Platform& platform, const std::string& source) {
  RegistryKey key(platform.registry);
  Moves moves;
  if (!key.Open(platform::Hive::LocalMachine, kSessionManagerKey, KEY_QUERY_VALUE) ||
      ReadMoves(platform.registry, key, &moves) != ERROR_SUCCESS) {
    return false;
  }
  return std::any_of(moves.begin(), moves.end(), [&](const auto& move) {
    return SamePath(platform.system, NotedPath(move.first), source);
  });
}
