"""Quiet runs under Wine: /DRIVER /QUIET from the sample disc installs the driver
with no window at any moment and leaves the restart pending; /LOG= names the log
(over W2KSETUP_LOG) that ends with the exit code; before Windows 2000 a quiet run
starts nothing. The e2e driver records every dialog and message box that appears.
The driver runs pay the installation's 35 s of fixed waiting."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import driver_fixtures as fx  # noqa: E402
from run_logs import starts  # noqa: E402
from test_log import exit_code_text, log_lines  # noqa: E402

DISC = r"C:\disc"
PROGRAM = r'"%s\W2KSetup.exe"' % DISC
LOG = r"C:\logs\quiet.log"
ENVIRONMENT_LOG = r"C:\logs\from-environment.log"
ERROR_OLD_WIN_VERSION = 1150


class QuietRun(harness.WineTestCase):
    def assertNoWindows(self, result):
        self.assertEqual(result.message_boxes, [], "message boxes appeared")
        self.assertEqual(result.dialogs, [], "dialogs appeared")

    def test_driver_switch_installs_without_a_window(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            infs_before = list(fx.folder_files(s, fx.WINDOWS_DIR + r"\inf"))
            result = s.run(PROGRAM + " /DRIVER /QUIET")
            self.assertExitedWith(result, fx.RESTART_LATER_EXIT)
            self.assertNoWindows(result)
            self.assertIsNotNone(s.find_host_file(fx.STAGING_DIR + r"\W2KSetup.dat"),
                                 "the package was not staged")
            self.assertEqual(len(fx.new_inf_names(s, infs_before)), 1, "no INF handed over")
            self.assertIsNotNone(s.registry().value(s.program_key(fx.RUN_KEY), fx.RUN_VALUE),
                                 "the logon mixer swap was not armed")

    def test_log_switch_wins_and_ends_with_the_exit_code(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            os.makedirs(s.host_path(r"C:\logs"), exist_ok=True)
            result = s.run(PROGRAM + " -q /log=" + LOG + " driver",
                           environment={"W2KSETUP_LOG": ENVIRONMENT_LOG})
            self.assertExitedWith(result, fx.RESTART_LATER_EXIT)
            self.assertNoWindows(result)
            self.assertIsNone(s.find_host_file(ENVIRONMENT_LOG), "the variable's log was used")
            texts = [t for _, t in log_lines(fx.read_host(s, LOG))]
            self.assertEqual(texts[-1], "W2KSetup end: exit code %s" %
                             exit_code_text(fx.RESTART_LATER_EXIT))
            # The notice that was not shown is in the log.
            self.assertTrue([t for t in texts if fx.NOTICE_TEXT in t], "\n".join(texts))

    def test_before_windows_2000_starts_nothing(self):
        with self.scenario("win98") as s:
            s.copy_disc(DISC)
            os.makedirs(s.host_path(r"C:\logs"), exist_ok=True)
            result = s.run(PROGRAM + " /DRIVER /QUIET /LOG=" + LOG)
            self.assertExitedWith(result, ERROR_OLD_WIN_VERSION)
            self.assertNoWindows(result)
            self.assertEqual(starts(s.settled_companion_events()), [], "a program was started")
            texts = [t for _, t in log_lines(fx.read_host(s, LOG))]
            self.assertTrue([t for t in texts if "nothing started" in t], "\n".join(texts))
            self.assertEqual(texts[-1], "W2KSetup end: exit code %d" % ERROR_OLD_WIN_VERSION)


if __name__ == "__main__":
    unittest.main()
