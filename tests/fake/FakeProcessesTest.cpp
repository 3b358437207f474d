// WaitForInputIdle on the fake machine takes the time the wait would take on
// Windows: until the program is idle or its run is over, at most the time-out.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <vector>

#include "fake/FakeMachine.h"
#include "platform/WinApi.h"

namespace {

constexpr uint32_t kWaitTimeout = 258;
constexpr uint32_t kWaitFailed = 0xFFFFFFFF;
constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr const char* kProgram = "C:\\Apps\\busy.exe";

platform::ProcessHandle Start(fake::FakeMachine& machine, const fake::ProgramBehaviour& behaviour) {
  machine.files.AddFile(kProgram, "program");
  machine.processes.SetBehaviour(kProgram, behaviour);
  platform::StartedProcess started;
  EXPECT_TRUE(machine.processes.CreateProcess(kProgram, SW_SHOW, &started));
  return started.process;
}

TEST(FakeProcesses, WaitForInputIdleLastsUntilIdleExitOrTimeOut) {
  struct Wait {
    uint32_t timeout;
    uint32_t result;
    uint64_t now;  // virtual time after the call
  };
  struct Case {
    const char* name;
    fake::ProgramBehaviour behaviour;
    uint32_t sleepFirst;
    std::vector<Wait> waits;
  };
  const Case cases[] = {
      {"idle within the time-out, then at once",
       {3, 0, nullptr, 700},
       0,
       {{1000, 0, 700}, {1000, 0, 700}}},
      {"the default start-up time", {3}, 0, {{1000, 0, 500}}},
      {"idle after two time-outs",
       {3, 0, nullptr, 2500},
       0,
       {{1000, kWaitTimeout, 1000}, {1000, kWaitTimeout, 2000}, {1000, 0, 2500}}},
      {"without a time-out", {3, 0, nullptr, 2500}, 0, {{kInfinite, 0, 2500}}},
      {"idle while the caller slept", {3, 0, nullptr, 500}, 600, {{1000, 0, 600}}},
      {"no message queue", {3, 0, nullptr, 0}, 0, {{1000, 0, 0}}},
      {"busy until the time-out",
       {3, 0, nullptr, fake::kNeverIdle},
       0,
       {{1000, kWaitTimeout, 1000}, {250, kWaitTimeout, 1250}}},
      {"over before the first look", {0, 0, nullptr, fake::kNeverIdle}, 0, {{1000, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    const platform::ProcessHandle process = Start(machine, c.behaviour);
    machine.clock.Sleep(c.sleepFirst);
    for (const Wait& wait : c.waits) {
      EXPECT_EQ(machine.processes.WaitForInputIdle(process, wait.timeout), wait.result);
      EXPECT_EQ(machine.clock.Now(), wait.now);
    }
    EXPECT_EQ(machine.clock.Sleeps(), std::vector<uint32_t>{c.sleepFirst});  // waits are no sleeps
  }
}

TEST(FakeProcesses, ABusyProgramIsWaitedForUntilItsRunIsOver) {
  fake::FakeMachine machine;
  const platform::ProcessHandle process = Start(machine, {2, 7, nullptr, fake::kNeverIdle});
  uint32_t exitCode = 0;
  for (uint64_t second = 1; second <= 2; ++second) {
    EXPECT_EQ(machine.processes.WaitForInputIdle(process, 1000), kWaitTimeout);
    EXPECT_EQ(machine.clock.Now(), second * 1000);
    ASSERT_TRUE(machine.processes.GetExitCodeProcess(process, &exitCode));
    EXPECT_EQ(exitCode, STILL_ACTIVE);
  }
  // Its last STILL_ACTIVE answer given, the program has ended: no more waiting.
  EXPECT_EQ(machine.processes.WaitForInputIdle(process, 1000), 0u);
  EXPECT_EQ(machine.clock.Now(), 2000u);
  ASSERT_TRUE(machine.processes.GetExitCodeProcess(process, &exitCode));
  EXPECT_EQ(exitCode, 7u);

  EXPECT_NONFATAL_FAILURE(
      {
        fake::FakeMachine other;
        const platform::ProcessHandle busy = Start(other, {2, 0, nullptr, fake::kNeverIdle});
        EXPECT_EQ(other.processes.WaitForInputIdle(busy, kInfinite), kWaitFailed);
      },
      "which is never idle");

  machine.lastError.code = 0;
  EXPECT_EQ(machine.processes.WaitForInputIdle(0x2001, 1000), kWaitFailed);
  EXPECT_EQ(machine.lastError.code, ERROR_INVALID_HANDLE);
  EXPECT_EQ(machine.clock.Now(), 2000u);
}

}  // namespace
