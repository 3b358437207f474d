#include "common/ExitCodes.h"

namespace exit_code {

int OfDiscSetupStart(uint32_t winExecResult) {
  if (winExecResult > 31) return kSuccess;
  if (winExecResult == 2 || winExecResult == 3 || winExecResult == 11) {
    return static_cast<int>(winExecResult);
  }
  return 1;
}

int OfDriverInstallation(bool infHandedOver, uint32_t handOverError, bool restartInitiated) {
  if (!infHandedOver) return handOverError != 0 ? static_cast<int>(handOverError) : kInstallFailure;
  return restartInitiated ? kRebootInitiated : kRebootRequired;
}

}  // namespace exit_code
