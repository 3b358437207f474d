#include "app/AudioDefaults.h"

// Entry points only; the defaults are applied by a later change.
void SetDefaultSoundFormat(platform::Platform&) {}

void WriteCdPlayerProfile(platform::Platform&, const std::string&) {}
