// The removal run ("/UNINSTALL"): takes off the driver and what the
// installation put on the machine for it, and the driver's entry in the list
// of installed programs last, so that the entry stays while anything of the
// driver does and the removal can be run again.
#pragma once

#include <string>

#include "platform/Platform.h"

// Finds what is installed (nothing: says so, 1605), asks the user (No:
// 1602), removes the controller's devices, this driver's INFs, the staging
// folders, the logon entry, the files in the Windows directory and a move of
// the mixer noted for the restart, then this program's copy in the maker's
// folder (at the restart when it runs from there) and the entry. Leaves the
// mixer, the suite and the audio defaults alone. Says how it went and returns
// 0, 3010 when the restart finishes the removal, or 1603 when something is
// left. programDirectory is the folder the program runs from.
int RemoveDriverPackage(platform::Platform& platform, const std::string& programDirectory);
