#include "app/MixerReplacement.h"

// Entry point only; the replacement comes with a later change.
bool RunMixerReplacement(platform::Platform&) { return false; }
