#include "fake/FakeMachine.h"

namespace fake {

FakeMachine::FakeMachine()
    : m_platform{registry, profiles, files, desktop, processes, devices, clock, system, security} {
  // The keys every Windows installation has.
  registry.CreateKey(platform::Hive::LocalMachine,
                     "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  files.AddFolder("C:\\WINDOWS\\INF");
}

}  // namespace fake
