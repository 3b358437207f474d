// The driver installation: staging the driver package, handing its INF to
// the setup services, waiting for the new mixer device and offering a restart.
#pragma once

#include <string>

#include "driver/DriverInstallOptions.h"
#include "platform/Platform.h"

// Writes the caller's hardware choices into one staged INF file.
class InfPatcher {
 public:
  virtual ~InfPatcher() = default;
  // False, with the last-error code set, when the file could not be opened
  // for writing.
  virtual bool PatchInfOptions(const std::string& infPath) = 0;
};

// The restart prompt that ends every installation; the user interface
// provides it.
class RestartPrompt {
 public:
  virtual ~RestartPrompt() = default;
  // Offers to restart Windows; returns once the user has answered. True when
  // a restart was asked for and Windows accepted the request.
  virtual bool Offer() = 0;
};

// Runs the whole sequence; returns once the restart prompt has been closed,
// or once a staged INF that could not take the choices, or a failed INF
// hand-over, has been reported. owner is the calling dialog, or 0 for the
// start routine. patcher, given by the options dialog's installation alone,
// writes its choices into each staged INF. Returns the exit code the outcome
// calls for (common/ExitCodes.h).
int InstallDriverPackage(platform::Platform& platform, const DriverInstallOptions& options,
                         const std::string& programDirectory, platform::Hwnd owner,
                         RestartPrompt& restartPrompt, InfPatcher* patcher = nullptr);
