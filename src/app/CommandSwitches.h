// The command-line switches, compared whole with the upper-cased command line:
// anything before or after a switch (a second argument, a trailing blank)
// matches nothing.
#pragma once

#include <string>

bool IsReplaceMixerSwitch(const std::string& upperCommandLine);  // "-REPLACEMIXER"
bool IsApplicationsSwitch(const std::string& upperCommandLine);  // "/AP", "AP", "-AP"
bool IsDriverSwitch(const std::string& upperCommandLine);        // "/DRIVER", "DRIVER", "-DRIVER"
