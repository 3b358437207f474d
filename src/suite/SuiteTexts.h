// Texts and registry names of the application suite.
#pragma once

namespace suite {

constexpr const char* kSuiteSetupMissing = "Can not find the Tonivo Applications setup program.";
constexpr const char* kUninstallKeyNine =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tonivo Applications";
constexpr const char* kUninstallKeyNt =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tonivo WinNT Applications";

}  // namespace suite
