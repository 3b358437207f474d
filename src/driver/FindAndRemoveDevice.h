// Finding a present device by hardware ID and removing it, so that Windows
// detects it again with the new driver.
#pragma once

#include <cstddef>

#include "platform/Platform.h"

// searchText: in/out zero-terminated text in a buffer of bufferSize bytes
// (256 for the installation); on a match it receives the whole hardware ID
// that matched, cut to fit. removeFlag: in/out; nonzero asks for removal, and
// on a match it reports whether the removal succeeded. Returns 1 when a device
// matched, else 0. The last-error code on return is the one that ended the
// search.
int FindAndRemoveDevice(platform::Platform& platform, char* searchText, size_t bufferSize,
                        int* removeFlag);

// The controller ("PCI\VEN_1E5B&DEV_0111"), looked for as the installation
// does (a 256-byte buffer) and, with remove, removed. True when a present one
// was found and, with remove, went.
bool FindControllerDevice(platform::Platform& platform, bool remove);
