#include "common/WindowsVersion.h"

#include "platform/WinApi.h"

bool IsWindows2000OrLater(const platform::OsVersion& version) {
  return version.platformId == VER_PLATFORM_WIN32_NT && version.majorVersion >= 5;
}

bool IsWindowsVistaOrLater(const platform::OsVersion& version) {
  return version.platformId == VER_PLATFORM_WIN32_NT && version.majorVersion >= 6;
}
