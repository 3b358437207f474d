// The codes the program ends with: of the kind the system's own installers
// return, so that scripts can tell how a run ended. Every code and every rule
// that picks one is here.
#pragma once

#include <cstdint>

namespace exit_code {

constexpr int kSuccess = 0;
constexpr int kFileNotFound = 2;          // ERROR_FILE_NOT_FOUND
constexpr int kInvalidParameter = 87;     // ERROR_INVALID_PARAMETER: a quiet run that cannot run
constexpr int kPathTooLong = 206;         // ERROR_FILENAME_EXCED_RANGE: the program's folder
constexpr int kOldWindowsVersion = 1150;  // ERROR_OLD_WIN_VERSION: a quiet run before Windows 2000
constexpr int kUserCancelled = 1602;      // ERROR_INSTALL_USEREXIT
constexpr int kNotInstalled = 1605;       // ERROR_UNKNOWN_PRODUCT: nothing to remove
constexpr int kInstallFailure = 1603;     // ERROR_INSTALL_FAILURE
constexpr int kAlreadyRunning = 1618;     // ERROR_INSTALL_ALREADY_RUNNING: another copy works
constexpr int kRebootInitiated = 1641;    // ERROR_SUCCESS_REBOOT_INITIATED
constexpr int kRebootRequired = 3010;     // ERROR_SUCCESS_REBOOT_REQUIRED

// The disc's general setup program was started with WinExec, which returned
// this: above 31 it started; 2, 3 and 11 (file or path not found, bad
// program) are passed on; any other failure gives 1.
int OfDiscSetupStart(uint32_t winExecResult);

// A driver installation: the error SetupCopyOEMInfA left when the hand-over
// failed (1603 when it left none); otherwise whether the restart is under way
// or still pending.
int OfDriverInstallation(bool infHandedOver, uint32_t handOverError, bool restartInitiated);

}  // namespace exit_code
