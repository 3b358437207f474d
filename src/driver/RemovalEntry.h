// The driver's entry in the list of installed programs, through which the
// user removes it again, and the copy of this program that the entry starts.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace driver {

// The version of an INF's DriverVer value ("01/15/2001,5.12.01.0004" gives
// "5.12.01.0004"); empty when the value names none.
std::string DriverVersionOf(const std::string& driverVer);

// Copies the running program, whole and writable, into the maker's folder
// (the disc may be gone when the user removes the driver) and writes the
// entry: the driver's name in the user's language, driverVersion (the
// program's own version when empty), the maker, the folder, the icon, the
// removal's command lines, plain and quiet, and the size staged. No entry
// without a copy to start. A failure leaves the installation as it is.
void RegisterForRemoval(platform::Platform& platform, const std::string& driverVersion);

}  // namespace driver
