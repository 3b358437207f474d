#include "cleanup/RemoveLegacyDriverFiles.h"

// Entry point only; the purge comes with a later change.
void RemoveLegacyDriverFiles(platform::Platform&) {}
