// The logon run armed by a driver installation ("-ReplaceMixer"): disarms the
// Run value, closes the running mixer, puts the new mixer in place of the old
// one and starts it hidden.
#pragma once

#include "platform/Platform.h"

// Returns true when the program is done; false when the mode was left early
// (Run key not openable, no "Mixer.dat") and the normal start-up goes on.
bool RunMixerReplacement(platform::Platform& platform);
