#include "app/StartPath.h"

#include "app/CommandSwitches.h"

InstallOptions ReadInstallOptions(platform::ProfileFiles& profiles, const std::string& setupIni) {
  InstallOptions options;
  options.driverOnly = profiles.GetInt("InstallOption", "DriverOnly", 0, setupIni);
  options.webSetup = profiles.GetInt("InstallOption", "WebSetup", 0, setupIni);
  options.installWdmDriver = profiles.GetInt("InstallOption", "InstallWDMDriver", 0, setupIni);
  return options;
}

StartPath ChooseStartPath(bool windows2000OrLater, const InstallOptions& options,
                          const std::string& upperCommandLine) {
  if (!windows2000OrLater) return StartPath::ForwardToDiscSetup;
  if (options.webSetup == 0) {
    if (IsApplicationsSwitch(upperCommandLine)) return StartPath::SuiteOnly;
    if (IsDriverSwitch(upperCommandLine) || options.driverOnly != 0) return StartPath::DriverOnly;
    return StartPath::MainDialog;
  }
  if (options.webSetup == 1) {
    return options.installWdmDriver != 0 ? StartPath::WdmOptionsDialog : StartPath::Nothing;
  }
  return StartPath::WebPackageDriver;
}
