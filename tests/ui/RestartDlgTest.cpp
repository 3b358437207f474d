// The restart prompt: only OK with "restart now" asks for a reboot.
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

  EXPECT_TRUE(machine.security.enabledPrivileges.empty());
  EXPECT_EQ(machine.security.exitWindowsFlags, std::vector<uint32_t>{EWX_REBOOT});
}

}  // namespace
