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
  virtual void PatchInfOptions(const std::string& infPath) = 0;
};

// The restart prompt that ends every installation; the user interface
// provides it.
class RestartPrompt {
 public:
  virtual ~RestartPrompt() = default;
  // Offers to restart Windows; returns once the user has answered.
  virtual void Offer() = 0;
};

// Runs the whole sequence; returns once the restart prompt has been closed.
// owner is the calling dialog, or 0 for the start routine; patcher is used
// when options.patchInfFiles is set.
void InstallDriverPackage(platform::Platform& platform, const DriverInstallOptions& options,
                          const std::string& programDirectory, platform::Hwnd owner,
                          RestartPrompt& restartPrompt, InfPatcher* patcher = nullptr);
