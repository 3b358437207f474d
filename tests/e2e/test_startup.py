"""Start-up paths of W2KSetup.exe under Wine: hand-over to the disc's Setup.exe on
systems before Windows 2000, the suite-only run (/AP) and the web-setup run that
does nothing. Each test runs in a fresh prefix."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from run_logs import closes, index_of, starts  # noqa: E402

RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tonivo Applications"
MISSING_SUITE_TEXT = "Can not find the Tonivo Applications setup program."
SW_SHOW = 5
STARTF_USESHOWWINDOW = 1


class StartupTestCase(harness.WineTestCase):
    def assertNoWindows(self, result):
        self.assertEqual(result.message_boxes, [], "message boxes appeared")
        self.assertEqual(result.dialogs, [], "dialogs appeared")

    def assertShownStart(self, event):
        """Started with STARTF_USESHOWWINDOW and SW_SHOW."""
        self.assertTrue(event["startFlags"] & STARTF_USESHOWWINDOW, event)
        self.assertEqual(event["showWindow"], SW_SHOW, event)


class PathA(StartupTestCase):
    """Before Windows 2000 the program starts the disc's Setup.exe with the switch it got."""

    def forward(self, version, args, setup_ini=None, disc=r"C:\disc"):
        with self.scenario(version) as s:
            s.copy_disc(disc, setup_ini=setup_ini)
            cmdline = '"%s\\W2KSetup.exe"' % disc + (" " + args if args else "")
            result = s.run(cmdline)
            self.assertExitedWith(result, 0)
            self.assertNoWindows(result)
            events = s.settled_companion_events()
        started = starts(events)
        self.assertEqual(len(started), 1, events)
        self.assertEqual(started[0]["exe"].lower(), (disc + r"\Setup.exe").lower())
        self.assertShownStart(started[0])
        return started[0]

    def test_win98_ap(self):
        started = self.forward("win98", "/AP")
        self.assertEqual(started["cmdline"], r'"C:\disc\Setup.exe" /AP')

    def test_win98_no_switch(self):
        started = self.forward("win98", "")
        self.assertEqual(started["cmdline"], r'"C:\disc\Setup.exe"')

    def test_win98_two_switches_are_no_switch(self):
        started = self.forward("win98", "/AP /DRIVER")
        self.assertEqual(started["cmdline"], r'"C:\disc\Setup.exe"')

    def test_win98_ap_wins_over_driver_only(self):
        ini = {"InstallOption": {"DriverOnly": 1, "WebSetup": 0, "InstallWDMDriver": 0}}
        started = self.forward("win98", "/ap", setup_ini=ini)
        self.assertEqual(started["cmdline"], r'"C:\disc\Setup.exe" /AP')

    def test_winme_driver_only(self):
        # WebSetup and InstallWDMDriver are not looked at before Windows 2000.
        ini = {"InstallOption": {"DriverOnly": 1, "WebSetup": 2, "InstallWDMDriver": 1}}
        started = self.forward("winme", "", setup_ini=ini)
        self.assertEqual(started["cmdline"], r'"C:\disc\Setup.exe" /DRIVER')

    def test_nt40_driver_switch_in_lower_case(self):
        started = self.forward("nt40", "-driver")
        self.assertEqual(started["cmdline"], r'"C:\disc\Setup.exe" /DRIVER')

    def test_win98_folder_with_blanks(self):
        # Wine's CreateProcessA quotes an unquoted program path that holds blanks, so
        # only the tests above tell whether the program quotes it.
        disc = r"C:\Driver Disc\Win 98"
        started = self.forward("win98", "AP", disc=disc)
        self.assertEqual(started["cmdline"], '"%s\\Setup.exe" /AP' % disc)


class PathB(StartupTestCase):
    """Windows 2000 and later with /AP: close the suite, uninstall it, start its setup."""

    def test_tunestack_closed_player_kept_uninstaller_waited(self):
        with self.scenario("win2k") as s:
            s.copy_disc()
            s.start_window_companion(r"C:\suite\TuneStack.exe", "TuneStack")
            player = s.start_window_companion(r"C:\suite\CDPlayer.exe", "CD Player")
            s.place_companion(r"C:\uninst\unins.exe", RunMs=3000)
            s.reg_add(UNINSTALL_KEY, "UninstallString", r"C:\uninst\unins.exe")
            result = s.run(r'"C:\disc\W2KSetup.exe" /AP')
            self.assertExitedWith(result, 0)
            self.assertNoWindows(result)
            events = s.settled_companion_events()
            self.assertIsNone(player.poll(), "CD Player has ended")
            handover = s.find_host_file(r"C:\windows\QXISETUP.INI")

        self.assertEqual([e["title"] for e in closes(events)], ["TuneStack"])
        started = starts(events)[2:]  # after the two suite programs started by the test
        self.assertEqual([e["exe"] for e in started],
                         [r"C:\uninst\unins.exe", r"C:\disc\W2K-ME\app\Setup.exe"], events)
        uninstaller, suite = started
        self.assertEqual(uninstaller["cmdline"], r"C:\uninst\unins.exe -a")
        self.assertShownStart(uninstaller)
        # The uninstaller runs 3 s; the suite setup must start only after it has ended.
        uninstaller_end = index_of(events, "exit", exe=uninstaller["exe"], pid=uninstaller["pid"])
        self.assertIsNotNone(uninstaller_end, events)
        self.assertLess(uninstaller_end, events.index(suite), events)
        self.assertEqual(suite["cmdline"], r'"C:\disc\W2K-ME\app\Setup.exe"')
        self.assertEqual(suite["cwd"], r"C:\disc\W2K-ME")
        self.assertShownStart(suite)
        self.assertIsNone(handover, "QXISETUP.INI was written")

    def test_players_closed_without_tunestack(self):
        with self.scenario("winxp") as s:
            s.copy_disc()
            players = [s.start_window_companion(r"C:\suite\%s.exe" % title.replace(" ", ""),
                                                title)
                       for title in ("CD Player", "MIDI Player", "MP3 Player")]
            result = s.run(r'"C:\disc\W2KSetup.exe" -ap')
            self.assertExitedWith(result, 0)
            self.assertNoWindows(result)
            events = s.settled_companion_events()
            for p in players:
                s.wait_ended(p, "a closed player")  # each closed player ends its process

        self.assertEqual([e["title"] for e in closes(events)],
                         ["CD Player", "MIDI Player", "MP3 Player"])
        self.assertEqual([e["exe"] for e in starts(events)[3:]],
                         [r"C:\disc\W2K-ME\app\Setup.exe"], "no uninstaller is registered")

    def test_missing_suite_setup(self):
        with self.scenario("win2k") as s:
            s.copy_disc(remove=[r"W2K-ME\app\Setup.exe"])
            result = s.run(r'"C:\disc\W2KSetup.exe" /AP')
            self.assertExitedWith(result, 0)
            events = s.settled_companion_events()
            handover = s.find_host_file(r"C:\windows\QXISETUP.INI")

        boxes = result.message_boxes
        self.assertEqual(len(boxes), 1, result.events)
        self.assertEqual(boxes[0]["caption"], "Setup")
        self.assertEqual(boxes[0]["text"], MISSING_SUITE_TEXT)
        self.assertEqual(boxes[0]["owner"], "")
        self.assertEqual(result.dialogs, [])
        self.assertEqual(starts(events), [], "a program was started")
        self.assertIsNone(handover, "QXISETUP.INI was written")


class PathF(StartupTestCase):
    """WebSetup=1 without InstallWDMDriver: nothing is shown or started."""

    def test_web_setup_without_wdm_driver_does_nothing(self):
        with self.scenario("win2k") as s:
            s.copy_disc(setup_ini={
                "InstallOption": {"DriverOnly": 1, "WebSetup": 1, "InstallWDMDriver": 0}})
            # The AP switch is ignored when WebSetup is set.
            result = s.run(r'"C:\disc\W2KSetup.exe" /AP')
            self.assertExitedWith(result, 0)
            self.assertNoWindows(result)
            events = s.settled_companion_events()
        self.assertEqual(events, [], "a program was started")


class RunValue(StartupTestCase):
    """Every ordinary start deletes the start-at-logon value "Tonivo Applications"."""

    def check_deleted(self, version, setup_ini):
        with self.scenario(version) as s:
            s.copy_disc(setup_ini=setup_ini)
            s.reg_add(RUN_KEY, "Tonivo Applications", r"C:\Tonivo\TSRun.exe /boot")
            s.reg_add(RUN_KEY, "Other Program", r"C:\Other\other.exe")
            run_key = s.program_key(RUN_KEY)
            before = s.registry()
            self.assertIsNotNone(before.value(run_key, "Tonivo Applications"))
            result = s.run(r'"C:\disc\W2KSetup.exe"')
            self.assertExitedWith(result, 0)
            after = s.registry()
        self.assertIsNone(after.value(run_key, "Tonivo Applications"))
        self.assertEqual(after.value(run_key, "Other Program").value, r"C:\Other\other.exe")

    def test_deleted_on_web_setup_path(self):
        self.check_deleted("win2k", {"InstallOption": {"WebSetup": 1, "InstallWDMDriver": 0}})

    def test_deleted_before_hand_over_on_windows98(self):
        self.check_deleted("win98", None)


if __name__ == "__main__":
    unittest.main()
