// Closing the suite's running programs and removing what a previous suite left
// behind, before a new suite or driver is installed.
#pragma once

#include "platform/Platform.h"

// Sends WM_CLOSE to the rack program "TuneStack" (then pauses 500 ms), or,
// when it is not running, to the "CD Player", "MIDI Player" and "MP3 Player";
// then, with closeMixer, to "Mixer"; then pauses 500 ms.
void CloseSuitePrograms(platform::Platform& platform, bool closeMixer);

// Runs the uninstall command of the previous suite (the first of the two
// uninstall keys that opens; "InstallShieldUninstallString", else
// "UninstallString") with " -a" appended, and waits until it has exited.
void UninstallPreviousSuite(platform::Platform& platform);

// Deletes the "Tonivo Applications" logon entry that a suite setup which ran
// earlier may have left in the Run key; a key or value that is missing is fine.
void DeleteSuiteLogonEntry(platform::Registry& registry);
