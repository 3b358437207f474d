// The whole fake Windows machine used by the unit tests: one of each fake
// subsystem, sharing a journal, a last-error code and a virtual clock, and
// the platform::Platform that hands them to the program.
#pragma once

#include "fake/FakeDesktop.h"
#include "fake/FakeDeviceSetup.h"
#include "fake/FakeFileSystem.h"
#include "fake/FakeProcesses.h"
#include "fake/FakeProfileFiles.h"
#include "fake/FakeRegistry.h"
#include "fake/FakeSystem.h"
#include "fake/Journal.h"
#include "platform/Platform.h"

namespace fake {

class FakeMachine {
 public:
  FakeMachine();
  FakeMachine(const FakeMachine&) = delete;
  FakeMachine& operator=(const FakeMachine&) = delete;

  platform::Platform& platform() { return m_platform; }

  // What outlives the process and a power cut: files (profile files among
  // them), registry, device tree and source list.
  struct PersistentState {
    FakeFileSystem::State files;
    FakeRegistry::State registry;
    FakeDeviceSetup::State devices;
  };
  PersistentState SaveState() const {
    return {files.SaveState(), registry.SaveState(), devices.SaveState()};
  }
  void RestoreState(const PersistentState& state) {
    files.RestoreState(state.files);
    registry.RestoreState(state.registry);
    devices.RestoreState(state.devices);
  }

  // The machine starts again after a restart or a power cut: the moves noted
  // for the start are made, before any program runs.
  void Restart() { files.PerformMovesAtStart(); }

  Journal journal;
  LastError lastError;
  FakeClock clock{journal};
  FakeRegistry registry{journal, lastError};
  FakeFileSystem files{journal, lastError, registry};
  FakeProfileFiles profiles{files, journal};
  FakeDesktop desktop{clock, journal, lastError};
  FakeProcesses processes{files, clock, journal, lastError};
  FakeDeviceSetup devices{files, journal, lastError};
  FakeSystem system{lastError};
  FakeSecurity security{journal, lastError};

 private:
  platform::Platform m_platform;
};

}  // namespace fake
