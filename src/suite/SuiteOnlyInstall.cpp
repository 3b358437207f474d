#include "suite/SuiteOnlyInstall.h"

#include "suite/SuiteClosing.h"
#include "suite/SuiteLaunch.h"

void InstallSuiteOnly(platform::Platform& platform, const std::string& programDirectory) {
  CloseSuitePrograms(platform, false);
  UninstallPreviousSuite(platform);
  StartSuiteSetup(platform, programDirectory, 0, nullptr);
}
