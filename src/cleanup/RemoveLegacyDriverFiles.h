// Deleting the INF files (and their precompiled PNF companions) that earlier
// drivers for the controller left in the Windows INF directories.
#pragma once

#include "platform/Platform.h"

void RemoveLegacyDriverFiles(platform::Platform& platform);
