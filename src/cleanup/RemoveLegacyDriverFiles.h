// Deleting the INF files (and their precompiled PNF companions) that earlier
// drivers for the controller left in the Windows INF directories.
#pragma once

#include <string>

#include "platform/Platform.h"

void RemoveLegacyDriverFiles(platform::Platform& platform);

// Whether an INF is one of this driver's, earlier or current: one of its
// "Strings" values "VDX-Legacy.DeviceDesc" and "WDM_QXPCI.Wave.szPname"
// begins with a chip model, the driver's base name or the maker.
bool IsThisDriversInf(platform::ProfileFiles& profiles, const std::string& path);
