// The defaults every ordinary run applies: the default sound format (the first
// "CD" entry of the user's sound formats) and the CD-player profile.
#pragma once

#include <string>

#include "platform/Platform.h"

void SetDefaultSoundFormat(platform::Platform& platform);

// Copies "UsingCDDA" of setup.ini [Default] into "QXCDPLAY.INI" [CD PLAYER].
void WriteCdPlayerProfile(platform::Platform& platform, const std::string& setupIni);
