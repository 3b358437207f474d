#include "driver/InstallDriverPackage.h"

// Entry point only; the installation sequence comes with a later change.
void InstallDriverPackage(platform::Platform&, const DriverInstallOptions&, const std::string&,
                          CWnd*, InfPatcher*) {}
