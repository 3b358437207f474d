#include "common/MovesAtRestart.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "common/MultibyteText.h"
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

std::string Upper(platform::System& system, std::string text) {
  UpperCaseInPlace(system, text.data());
  return text;
}

// The note names files by their NT path: "\??\C:\...".
std::string NotedPath(const std::string& entry) {
  return entry.rfind("\\??\\", 0) == 0 ? entry.substr(4) : entry;
}

}  // namespace

bool CancelMovesAtRestart(platform::Platform& platform, const std::string& source) {
  RegistryKey key(platform.registry);
  if (!key.Open(platform::Hive::LocalMachine, kSessionManagerKey, KEY_ALL_ACCESS)) return false;
  std::string data;
  uint32_t type = 0;
  const uint32_t read =
      platform.registry.QueryValue(key.Handle(), kPendingMovesValue, kNoteBufferSize, &data, &type);
  if (read == ERROR_FILE_NOT_FOUND) return true;
  if (read != ERROR_SUCCESS) return false;

  const std::string wanted = Upper(platform.system, source);
  Moves kept = ParseMoves(data);
  const size_t before = kept.size();
  std::erase_if(kept, [&](const auto& move) {
    return Upper(platform.system, NotedPath(move.first)) == wanted;
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
