// Fuzz target: the INF purge's test for INFs of earlier drivers, on
// arbitrary INF bytes and arbitrary "Strings" values.
//
// Input: the first byte holds the mode (bit 0 set: the rest is the whole INF;
// clear: the rest is two "Strings" values split at a zero byte, written into
// an INF in quotes), whether the INF is read-only (bit 1), whether it has a
// PNF companion (bit 2) and where it lies (bit 3 set: INF\OTHER, else the
// INF folder as an OEM INF). The INF and its companion must be deleted
// exactly when a value, as the profile functions read it, begins with one of
// the markers; no other file may change.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "cleanup/RemoveLegacyDriverFiles.h"
#include "fake/FakeMachine.h"

namespace {

const std::string kInfFolder = "C:\\WINDOWS\\INF\\";
const std::string kOtherFolder = "C:\\WINDOWS\\INF\\OTHER\\";
const char* const kKeys[] = {"VDX-Legacy.DeviceDesc", "WDM_QXPCI.Wave.szPname"};
const char* const kMarkers[] = {"QXI4310", "QXI4710", "QXAUDIO", "Quarnex"};
constexpr size_t kWholeValue = 1 << 20;

bool BeginsWithMarker(const std::string& value) {
  for (const char* marker : kMarkers) {
    if (value.starts_with(marker)) return true;
  }
  return false;
}

// A value that the INF holds in quotes: no quote or line end inside.
std::string QuotableValue(const std::string& bytes) {
  std::string value;
  for (char c : bytes) {
    if (c != '"' && c != '\r' && c != '\n') value += c;
  }
  return value;
}

struct Snapshot {
  std::vector<std::string> infFiles, otherFiles;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const fake::FakeMachine& machine) {
  return {machine.files.FilesIn(kInfFolder), machine.files.FilesIn(kOtherFolder)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool wholeInf = data[0] & 0x01;
  const uint32_t attributes = data[0] & 0x02 ? 0x01 : 0x20;  // read-only or archive
  const bool companion = data[0] & 0x04;
  const std::string folder = data[0] & 0x08 ? kOtherFolder : kInfFolder;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::string inf;
  std::vector<std::string> values;
  if (wholeInf) {
    inf = rest;
  } else {
    const size_t zero = rest.find('\0');
    values.push_back(QuotableValue(rest.substr(0, zero)));
    values.push_back(zero == std::string::npos ? std::string()
                                               : QuotableValue(rest.substr(zero + 1)));
    inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n[Strings]\r\n";
    for (size_t i = 0; i < 2; ++i) inf += std::string(kKeys[i]) + "=\"" + values[i] + "\"\r\n";
  }

  fake::FakeMachine machine;
  const std::string path = folder + (folder == kOtherFolder ? "QXOLD.INF" : "oem5.INF");
  const std::string pnf = path.substr(0, path.size() - 3) + "PNF";
  const std::string foreign = folder + "oem6.INF";
  const std::string foreignText = "[Strings]\r\nVDX-Legacy.DeviceDesc=\"Other Vendor\"\r\n";
  machine.files.AddFile(path, inf, attributes);
  if (companion) machine.files.AddFile(pnf, "precompiled");
  machine.files.AddFile(foreign, foreignText);
  machine.files.AddFile(folder + "readme.txt", "notes");

  bool marked = false;
  if (wholeInf) {
    // The values read whole, apart from the purge, from a copy of the INF.
    machine.files.AddFile("C:\\READING\\COPY.INF", inf);
    for (const char* key : kKeys) {
      marked = marked || BeginsWithMarker(machine.profiles.GetString(
                             "Strings", key, "", kWholeValue, "C:\\READING\\COPY.INF"));
    }
  } else {
    for (const std::string& value : values) marked = marked || BeginsWithMarker(value);
  }
  Snapshot before = Take(machine);
  machine.journal.Clear();

  RemoveLegacyDriverFiles(machine.platform());

  fuzz::Require(machine.files.FileExists(path) != marked, "the INF was judged wrongly");
  fuzz::Require(!machine.files.FileExists(pnf) || (companion && !marked),
                "the companion was judged wrongly");
  if (machine.files.FileExists(path)) {
    fuzz::Require(machine.files.Contents(path) == inf, "a kept INF changed");
    fuzz::Require(machine.files.Attributes(path) == attributes, "a kept INF's attributes changed");
  }
  fuzz::Require(machine.files.Contents(foreign) == foreignText, "another INF was touched");
  // Nothing but the INF and its companion may go, and nothing may be written.
  std::erase(before.infFiles, "oem5.INF");
  std::erase(before.infFiles, "oem5.PNF");
  std::erase(before.otherFiles, "QXOLD.INF");
  std::erase(before.otherFiles, "QXOLD.PNF");
  Snapshot after = Take(machine);
  std::erase(after.infFiles, "oem5.INF");
  std::erase(after.infFiles, "oem5.PNF");
  std::erase(after.otherFiles, "QXOLD.INF");
  std::erase(after.otherFiles, "QXOLD.PNF");
  fuzz::Require(before == after, "other files came or went");
  for (const char* write : {"copy ", "move ", "profile ", "mkdir "}) {
    fuzz::Require(machine.journal.StartingWith(write).empty(), "something was written");
  }
  fuzz::Require(machine.files.OpenSearches() == 0, "a file search was left open");
  return 0;
}
