#include "app/CommandSwitches.h"

bool IsReplaceMixerSwitch(const std::string& upperCommandLine) {
  return upperCommandLine == "-REPLACEMIXER";
}

bool IsApplicationsSwitch(const std::string& upperCommandLine) {
  return upperCommandLine == "/AP" || upperCommandLine == "AP" || upperCommandLine == "-AP";
}

bool IsDriverSwitch(const std::string& upperCommandLine) {
  return upperCommandLine == "/DRIVER" || upperCommandLine == "DRIVER" ||
         upperCommandLine == "-DRIVER";
}
