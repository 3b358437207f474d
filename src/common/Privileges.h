// Enabling a privilege in the process's own access token.
#pragma once

#include "platform/Platform.h"
#include "platform/WinApi.h"

// Enables one privilege, by name, in the current process's token. Nonzero on
// success; a system without access tokens counts as success.
BOOL EnablePrivilege(platform::Platform& platform, const char* name);
