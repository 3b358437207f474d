// The suite installation without a choice ("/AP"): the suite's programs are
// closed, the previous suite uninstalled and the suite's setup started.
#pragma once

#include <string>

#include "platform/Platform.h"

// No hand-over file is written; a missing suite setup is reported in a message
// box without owner. The caller ends the process afterwards.
void InstallSuiteOnly(platform::Platform& platform, const std::string& programDirectory);
