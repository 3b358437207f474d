// The platform seam: every call the program makes to the operating system
// goes through one of these interfaces. The program's logic receives a
// Platform& and never calls Win32 itself.
#pragma once

#include "platform/Desktop.h"
#include "platform/DeviceSetup.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/ProfileFiles.h"
#include "platform/Registry.h"
#include "platform/SystemServices.h"

namespace platform {

struct Platform {
  Registry& registry;
  ProfileFiles& profiles;
  FileSystem& files;
  Desktop& desktop;
  Processes& processes;
  DeviceSetup& devices;
  Clock& clock;
  System& system;
  Security& security;
};

}  // namespace platform
