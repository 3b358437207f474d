// The logon run armed by a driver installation ("-ReplaceMixer"): disarms the
// Run value, closes the running mixer, puts the new mixer in place of the old
// one and starts it hidden.
#pragma once

#include <optional>

#include "platform/Platform.h"

// Returns the exit code when the program is done: 0, the error of a copy over
// "Mixer.exe" that failed, or 5 (access denied) when the Run key does not
// open with full access, having done nothing. Nothing when the mode was left
// early (no Run key, no "Mixer.dat") and the normal start-up goes on.
std::optional<int> RunMixerReplacement(platform::Platform& platform);
