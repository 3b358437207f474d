// The command line the fake process was started with, read once as WinMain
// reads it, for a test that runs the application object itself.
#pragma once

#include "app/CommandSwitches.h"
#include "fake/FakeMachine.h"

inline RunSwitches CommandLineOf(fake::FakeMachine& machine) {
  return ReadCommandLine(machine.system, machine.processes.GetCommandLine());
}
