// The restart prompt and the privilege it enables before asking for a reboot.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake/FakeMachine.h"
#include "platform/WinApi.h"
#include "ui/RestartDlg.h"

namespace {

TEST(RestartDlg, OnlyOkWithRestartNowSelectedRequestsAReboot) {
  struct Case {
    const char* name;
    std::vector<fake::UserAction> actions;
    intptr_t expectedResult;
    bool expectReboot;
  };
  const std::vector<Case> cases = {
      {"OK with the default", {fake::Click(IDOK)}, IDOK, true},
      {"later, then OK", {fake::Click(IDC_RESTART_LATER), fake::Click(IDOK)}, IDOK, false},
      {"later, now again, then OK",
       {fake::Click(IDC_RESTART_LATER), fake::Click(IDC_RESTART_NOW), fake::Click(IDOK)},
       IDOK,
       true},
      {"Escape with now selected", {fake::PressEscape()}, IDCANCEL, false},
      {"Escape with later selected",
       {fake::Click(IDC_RESTART_LATER), fake::PressEscape()},
       IDCANCEL,
       false},
      {"close box with now selected", {fake::PressCloseBox()}, IDCANCEL, false},
      {"close box with later selected",
       {fake::Click(IDC_RESTART_LATER), fake::PressCloseBox()},
       IDCANCEL,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeMachine machine;
    machine.desktop.Script(IDD_RESTART, c.actions);

    CRestartDlg dialog(machine.platform());
    EXPECT_EQ(dialog.DoModal(), c.expectedResult);

    EXPECT_EQ(machine.desktop.Errors(), std::vector<std::string>{});
    if (c.expectReboot) {
      EXPECT_EQ(machine.security.enabledPrivileges,
                std::vector<std::string>{"SeShutdownPrivilege"});
      EXPECT_EQ(machine.security.exitWindowsFlags, std::vector<uint32_t>{EWX_REBOOT});
      // The privilege comes first, or the reboot request would be refused.
      EXPECT_LT(machine.journal.Find("privilege SeShutdownPrivilege"),
                machine.journal.Find("exitwindows " + std::to_string(EWX_REBOOT)));
      EXPECT_EQ(machine.security.openTokens, 0);
    } else {
      EXPECT_TRUE(machine.security.enabledPrivileges.empty());
      EXPECT_TRUE(machine.security.exitWindowsFlags.empty());
    }
  }
}

TEST(RestartDlg, StartsWithRestartNowSelectedInEveryLanguage) {
  for (const char* language : {"en-US.rc", "zh-TW.rc"}) {
    SCOPED_TRACE(language);
    fake::FakeMachine machine;
    machine.desktop.SetLanguageFile(language);
    int nowCheck = -1, laterCheck = -1;
    machine.desktop.Script(IDD_RESTART, {fake::Inspect([&](platform::Hwnd dialog) {
                                           nowCheck = machine.desktop.Control(dialog, 1000)->check;
                                           laterCheck =
                                               machine.desktop.Control(dialog, 1001)->check;
                                         }),
                                         fake::Click(IDOK)});
    CRestartDlg dialog(machine.platform());
    dialog.DoModal();

    EXPECT_EQ(machine.desktop.Errors(), std::vector<std::string>{});
    EXPECT_EQ(nowCheck, BST_CHECKED);
    EXPECT_EQ(laterCheck, BST_UNCHECKED);
    EXPECT_EQ(machine.security.exitWindowsFlags, std::vector<uint32_t>{EWX_REBOOT});
  }
}

TEST(RestartDlg, RebootIsRequestedWhereProcessTokensDoNotExist) {
  fake::FakeMachine machine;
  machine.security.openTokenError = ERROR_CALL_NOT_IMPLEMENTED;
  machine.desktop.Script(IDD_RESTART, {fake::Click(IDOK)});

  CRestartDlg dialog(machine.platform());
  EXPECT_EQ(dialog.DoModal(), IDOK);

  EXPECT_EQ(machine.desktop.Errors(), std::vector<std::string>{});
  EXPECT_TRUE(machine.security.enabledPrivileges.empty());
  EXPECT_EQ(machine.security.exitWindowsFlags, std::vector<uint32_t>{EWX_REBOOT});
}

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
