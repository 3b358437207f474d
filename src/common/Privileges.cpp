#include "common/Privileges.h"

BOOL EnablePrivilege(platform::Platform& platform, const char* name) {
  platform::TokenHandle token = 0;
  if (!platform.security.OpenProcessTokenForAdjust(&token)) {
    // A system without access tokens has nothing to enable.
    return platform.system.GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? 1 : 0;
  }
  platform::Luid luid;
  if (!platform.security.LookupPrivilegeValue(name, &luid)) {
    platform.security.CloseHandle(token);
    return 0;
  }
  // A privilege the token does not hold still "succeeds" here; that is not
  // looked at, as the restart request reports it anyway.
  BOOL enabled = platform.security.EnableTokenPrivilege(token, luid) ? 1 : 0;
  platform.security.CloseHandle(token);
  return enabled;
}
