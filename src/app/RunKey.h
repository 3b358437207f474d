// The start-at-logon key and the entries this program deletes or arms there.
// The driver installation writes the mixer-replacement entry and the logon
// run deletes it, so both take the names from here.
#pragma once

namespace run_key {

constexpr const char* kPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// One-shot entry that starts this program with "-ReplaceMixer" at the next logon.
constexpr const char* kMixerReplacement = "Replace Quarnex Mixer";
// Entry a suite setup that ran earlier may have left behind.
constexpr const char* kSuite = "Tonivo Applications";

}  // namespace run_key
