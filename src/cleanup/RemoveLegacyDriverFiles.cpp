#include "cleanup/RemoveLegacyDriverFiles.h"

#include <string>

#include "common/Paths.h"
#include "platform/WinApi.h"

namespace {

constexpr uint32_t kValueBufferSize = 64;
// Longest path the ANSI file functions accept (MAX_PATH with its zero).
constexpr size_t kMaxPathLength = MAX_PATH - 1;

// An INF belongs to an earlier driver of ours when one of these "Strings"
// values begins with a chip model, the driver's base name or the maker.
constexpr const char* kStringsSection = "Strings";
constexpr const char* kStringsKeys[] = {"VDX-Legacy.DeviceDesc", "WDM_QXPCI.Wave.szPname"};
constexpr const char* kMarkers[] = {"QXI4310", "QXI4710", "QXAUDIO", "Quarnex"};
constexpr size_t kMarkerLength = 7;

bool BeginsWithMarker(const std::string& value) {
  const std::string head = value.substr(0, kMarkerLength);
  for (const char* marker : kMarkers) {
    if (head == marker) return true;
  }
  return false;
}

// Judges one INF found by a scan; a marked one goes together with its
// precompiled companion (same name, extension PNF), read-only or not.
void PurgeIfLegacy(platform::Platform& platform, const std::string& path) {
  if (!IsThisDriversInf(platform.profiles, path)) return;
  DeleteWritable(platform.files, path);
  DeleteWritable(platform.files, path.substr(0, path.size() - 3) + "PNF");
}

// Runs one file search of folder (which ends in a backslash) and judges every
// hit. A path too long for the file functions is skipped rather than cut, as
// a cut path would name another file. False when the search found nothing.
bool Scan(platform::Platform& platform, const std::string& folder, const char* mask) {
  const std::string pattern = folder + mask;
  if (pattern.size() > kMaxPathLength) return false;
  return ForEachFile(platform.files, pattern, [&](const platform::FindData& hit) {
    const std::string path = folder + hit.fileName;
    if (path.size() <= kMaxPathLength) PurgeIfLegacy(platform, path);
    return true;
  });
}

}  // namespace

bool IsThisDriversInf(platform::ProfileFiles& profiles, const std::string& path) {
  bool marked = false;
  for (const char* key : kStringsKeys) {
    if (BeginsWithMarker(profiles.GetString(kStringsSection, key, "", kValueBufferSize, path))) {
      marked = true;
    }
  }
  return marked;
}

void RemoveLegacyDriverFiles(platform::Platform& platform) {
  const std::string windowsDirectory = platform.files.GetWindowsDirectory(MAX_PATH);
  if (windowsDirectory.empty()) return;
  const std::string infFolder = windowsDirectory + "\\INF\\";

  if (!Scan(platform, infFolder + "OTHER\\", "*.INF")) Scan(platform, infFolder, "OEM*.INF");
  Scan(platform, infFolder, "QX*.INF");
  Scan(platform, infFolder, "oem*.INF");
}
