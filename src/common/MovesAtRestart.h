// The moves Windows makes at its next start, before any program runs, as
// MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT notes them in the registry.
#pragma once

#include <string>

#include "platform/Platform.h"

// Takes every move of source out of the note, so that the next start leaves
// source and its target as they are. True when none is left; false when the
// note cannot be read or written.
bool CancelMovesAtRestart(platform::Platform& platform, const std::string& source);

// Whether the note holds a move of source.
bool IsMovedAtRestart(platform::Platform& platform, const std::string& source);
