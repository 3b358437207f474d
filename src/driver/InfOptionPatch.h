// Writes the options dialog's hardware choices into a staged INF file: the
// first byte of the "EnableLegacy" and "JackConfig" values that the INF's
// AddReg lines write into the driver's "Settings" key.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace driver {

// The check states of the options dialog that the patch depends on.
struct InfOptions {
  bool disableLegacy = false;    // "Disable legacy device (MIDI/GAME port)"
  bool jackInSoundCard = false;  // the controller sits on a sound card
  bool lineInRear = false;       // line-in shares the rear speaker jack
  bool lineInCenter = false;     // line-in shares the center/subwoofer jack
  bool micSub = false;           // the microphone shares the subwoofer jack
};

// The "JackConfig" value: 0 on a sound card, whatever the sharing boxes
// show; otherwise 1, 2 and 4 for the three kinds of shared jack.
int JackValue(const InfOptions& options);

// Rewrites, in place, the first line that begins with each template (see the
// .cpp): "EnableLegacy" becomes 2 when the legacy device is disabled, and
// "JackConfig" always takes the jack value. One byte per value changes; the
// file keeps its length. A file that does not open for writing is left alone
// and gives false, with the last-error code of the failed open; so does a
// write that fails, with its own code.
bool PatchInfOptionsFile(platform::Platform& platform, const std::string& path,
                         const InfOptions& options);

}  // namespace driver
