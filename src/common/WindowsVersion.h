// The Windows versions the program tells apart.
#pragma once

#include "platform/SystemServices.h"

// Windows NT 5.0 or later: Windows 2000 and later, where the program does its
// own installation work.
bool IsWindows2000OrLater(const platform::OsVersion& version);

// Windows NT 6.0 or later: Windows Vista and later, whose logon entries start
// without administrator rights.
bool IsWindowsVistaOrLater(const platform::OsVersion& version);
