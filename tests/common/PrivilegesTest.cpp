// Enabling a privilege in the process's own token.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Privileges.h"
#include "fake/FakeMachine.h"

namespace {

TEST(EnablePrivilege, ReportsSuccessOnlyWhenThePrivilegeIsEnabledOrNeedsNoToken) {
  struct Case {
    const char* name;
    const char* privilege;
    uint32_t openTokenError;
    bool adjustFails;
    BOOL expected;
    std::vector<std::string> expectedEnabled;
  };
  const std::vector<Case> cases = {
      {"enabled", "SeShutdownPrivilege", 0, false, 1, {"SeShutdownPrivilege"}},
      {"no access tokens", "SeShutdownPrivilege", ERROR_CALL_NOT_IMPLEMENTED, false, 1, {}},
      {"token refused", "SeShutdownPrivilege", ERROR_ACCESS_DENIED, false, 0, {}},
      {"unknown privilege", "SeNoSuchPrivilege", 0, false, 0, {}},
      {"adjustment refused", "SeShutdownPrivilege", 0, true, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    machine.security.openTokenError = c.openTokenError;
    machine.security.adjustFails = c.adjustFails;

    EXPECT_EQ(EnablePrivilege(machine.platform(), c.privilege), c.expected);

    EXPECT_EQ(machine.security.enabledPrivileges, c.expectedEnabled);
    EXPECT_EQ(machine.security.openTokens, 0);  // every opened token is closed
  }
}

}  // namespace
