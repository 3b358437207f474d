"""The logon run of W2KSetup.exe under Wine (-ReplaceMixer: disarm the Run value,
close the "Mixer" window, swap Mixer.dat in for Mixer.exe, start the new mixer
hidden) and the audio and CD-player defaults of every ordinary run."""

import os
import shutil
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from reg_files import RegValue, read_profile  # noqa: E402
from run_logs import closes, index_of, starts  # noqa: E402

RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Replace Quarnex Mixer"
AUDIO_KEY = r"HKCU\Software\Microsoft\Multimedia\Audio"
DEFAULT_USER_AUDIO_KEY = r"HKU\.Default\Software\Microsoft\Multimedia\Audio"
MAIN_DIALOG = "Tonivo Device Driver And Applications Setup Program"
IDCANCEL = 2
SW_HIDE = 0
STARTF_USESHOWWINDOW = 1
# Appended to the companion's bytes to make the new mixer recognisable.
NEW_MIXER_MARKER = b"\r\nnew mixer build 2.17\r\n"
# What a start-up run would write if the logon run went on with it.
FORMATS_WITH_CD = "Radio Quality,CD Quality,Audio CD 44 kHz,Telephone"


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def sz(text):
    """REG_SZ data as Wine stores it: UTF-16 with the terminating zero."""
    return (text + "\0").encode("utf-16-le")


class LogonTestCase(harness.WineTestCase):
    def arm(self, s, new_mixer):
        """Lays out what a driver installation leaves for the next logon.
        new_mixer: bytes of Mixer.dat, or None for no Mixer.dat."""
        windir = s.host_path("C:\\windows")
        shutil.copyfile(s.build.program, os.path.join(windir, "W2KSetup.exe"))
        if new_mixer is not None:
            with open(os.path.join(windir, "Mixer.dat"), "wb") as f:
                f.write(new_mixer)
        s.reg_add(RUN_KEY, RUN_VALUE, r'"C:\windows\W2KSetup.exe" -ReplaceMixer')
        # Left alone by a logon run, changed by an ordinary start-up.
        s.reg_add(RUN_KEY, "Tonivo Applications", r"C:\Tonivo\TuneStack.exe")
        s.reg_add(AUDIO_KEY, "SystemFormats", FORMATS_WITH_CD)
        s.wine("reg", "add", DEFAULT_USER_AUDIO_KEY, "/f")

    def start_old_mixer(self, s):
        """Starts the running mixer and returns its process once its window is up."""
        old = s.start_window_companion(r"C:\windows\Mixer.exe", "Mixer")
        # The old mixer has read its sidecar; without it the new one logs its start and
        # ends at once.
        os.remove(s.host_path(r"C:\windows\Mixer.cfg"))
        return old


class MixerReplacement(LogonTestCase):
    def test_logon_run_swaps_and_starts_the_new_mixer_hidden(self):
        new_mixer = read_bytes(self.build.companion) + NEW_MIXER_MARKER
        with self.scenario("winxp") as s:
            self.arm(s, new_mixer)
            run_key = s.program_key(RUN_KEY)
            armed = s.registry()
            self.assertEqual(armed.value(run_key, RUN_VALUE).value,
                             r'"C:\windows\W2KSetup.exe" -ReplaceMixer')
            self.assertIsNotNone(armed.key(DEFAULT_USER_AUDIO_KEY))
            old = self.start_old_mixer(s)
            logged = s.companion_events()
            before, old_pid = len(logged), starts(logged)[-1]["pid"]  # the running mixer's

            result = s.run(r"C:\windows\W2KSetup.exe -replacemixer", cwd="C:\\windows")
            self.assertExitedWith(result, 0)
            events = s.settled_companion_events()
            s.wait_ended(old, "the closed mixer")
            mixer = read_bytes(s.host_path(r"C:\windows\Mixer.exe"))
            dat = s.find_host_file(r"C:\windows\Mixer.dat")
            dat_bytes = read_bytes(dat) if dat else None
            cd_profile = s.find_host_file(r"C:\windows\QXCDPLAY.INI")
            after = s.registry()

        self.assertEqual(result.message_boxes + result.dialogs, [], result.events)
        self.assertEqual([e["title"] for e in closes(events[before:])], ["Mixer"], events)
        started = starts(events[before:])
        self.assertEqual(len(started), 1, events)
        new = started[0]
        self.assertEqual(new["exe"], r"C:\windows\Mixer.exe")
        self.assertEqual(new["cmdline"], r'"C:\windows\Mixer.exe" /startup')
        self.assertEqual(new["showWindow"], SW_HIDE, new)
        self.assertEqual(new["startFlags"] & STARTF_USESHOWWINDOW, STARTF_USESHOWWINDOW, new)
        # WM_CLOSE, then a pause in which the closed mixer ends, then the swap and the start.
        run_events = events[before:]
        closed = index_of(run_events, "close", title="Mixer")
        old_end = index_of(run_events, "exit", pid=old_pid)
        self.assertIsNotNone(old_end, "the closed mixer did not end: %r" % events)
        self.assertLess(closed, old_end, events)
        self.assertLess(old_end, run_events.index(new), events)
        self.assertTrue(mixer == new_mixer, "Mixer.exe does not hold Mixer.dat's bytes "
                        "(%d bytes, marker %s)" % (len(mixer), mixer.endswith(NEW_MIXER_MARKER)))
        self.assertTrue(dat_bytes == new_mixer, "Mixer.dat was removed or changed")
        self.assertIsNone(after.value(run_key, RUN_VALUE), "the Run value is still there")
        # Nothing of the ordinary start-up ran.
        self.assertIsNone(cd_profile, "QXCDPLAY.INI was written")
        self.assertIsNone(after.value(AUDIO_KEY, "DefaultFormat"))
        self.assertIsNone(after.value(DEFAULT_USER_AUDIO_KEY, "DefaultFormat"))
        self.assertIsNotNone(after.value(run_key, "Tonivo Applications"))

    def test_missing_new_mixer_goes_on_with_the_start_up(self):
        with self.scenario("winxp") as s:
            self.arm(s, None)
            old = self.start_old_mixer(s)
            old_mixer = read_bytes(s.host_path(r"C:\windows\Mixer.exe"))
            before = len(s.companion_events())
            script = "dialog %s | press %d\n" % (MAIN_DIALOG, IDCANCEL)
            result = s.run(r"C:\windows\W2KSetup.exe -replacemixer", script=script,
                           cwd="C:\\windows")
            self.assertExitedWith(result, 0)  # the suite setup is missing: the process ends
            events = s.settled_companion_events()
            s.wait_ended(old, "the closed mixer")
            mixer = read_bytes(s.host_path(r"C:\windows\Mixer.exe"))
            cd_profile = s.find_host_file(r"C:\windows\QXCDPLAY.INI")
            cd_settings = read_profile(cd_profile) if cd_profile else None
            after = s.registry()
            run_key = s.program_key(RUN_KEY)

        self.assertEqual([e["title"] for e in closes(events[before:])], ["Mixer"], events)
        self.assertEqual(starts(events[before:]), [], "a program was started")
        self.assertTrue(mixer == old_mixer, "Mixer.exe was changed")
        self.assertIsNone(after.value(run_key, RUN_VALUE), "the Run value is still there")
        # The start-up of an ordinary run followed: no setup.ini in the Windows directory,
        # so the main dialog, which finds no suite setup there either: it says so and the
        # process ends before the dialog shows.
        self.assertEqual(result.dialogs, [], result.events)
        self.assertEqual([(b["caption"], b["text"], b["owner"]) for b in result.message_boxes],
                         [("Setup", "Can not find installation files.", MAIN_DIALOG)])
        self.assertEqual(cd_settings, {"CD PLAYER": {"UsingCDDA": "0"}})
        self.assertEqual(after.value(AUDIO_KEY, "DefaultFormat"),
                         RegValue(RegValue.REG_SZ, sz("CD Quality")))
        self.assertIsNone(after.value(run_key, "Tonivo Applications"))


class Defaults(LogonTestCase):
    """Sound format and CD-player profile of an ordinary run that shows nothing."""

    def ordinary_run(self, version, formats, setup_ini, default_user_key=True):
        """Runs the disc's program; returns (registry after, QXCDPLAY.INI settings or None,
        companion events)."""
        with self.scenario(version) as s:
            s.copy_disc(setup_ini=setup_ini)
            s.reg_add(AUDIO_KEY, "SystemFormats", formats)
            if default_user_key:
                s.wine("reg", "add", DEFAULT_USER_AUDIO_KEY, "/f")
            before = s.registry()
            self.assertEqual(before.key(DEFAULT_USER_AUDIO_KEY) is not None, default_user_key)
            result = s.run(r'"C:\disc\W2KSetup.exe"')
            self.assertExitedWith(result, 0)
            self.assertEqual(result.message_boxes + result.dialogs, [], result.events)
            events = s.settled_companion_events()
            cd_profile = s.find_host_file(r"C:\windows\QXCDPLAY.INI")
            cd_settings = read_profile(cd_profile) if cd_profile else None
            after = s.registry()
        return after, cd_settings, events

    def test_first_cd_entry_for_both_users_and_using_cdda_5(self):
        ini = {"InstallOption": {"DriverOnly": 0, "WebSetup": 1, "InstallWDMDriver": 0},
               "Default": {"UsingCDDA": 5}}
        reg, cd, _ = self.ordinary_run("winxp", FORMATS_WITH_CD, ini)
        expected = RegValue(RegValue.REG_SZ, sz("CD Quality"))
        self.assertEqual(reg.value(AUDIO_KEY, "DefaultFormat"), expected)
        self.assertEqual(reg.value(DEFAULT_USER_AUDIO_KEY, "DefaultFormat"), expected)
        self.assertEqual(cd, {"CD PLAYER": {"UsingCDDA": "1"}})

    def test_last_entry_is_not_a_candidate_before_hand_over(self):
        # Windows 98: the defaults are applied before the disc's Setup.exe takes over.
        ini = {"InstallOption": {"DriverOnly": 0, "WebSetup": 0, "InstallWDMDriver": 0}}
        reg, cd, events = self.ordinary_run("win98", "Radio Quality,Telephone,CD Quality", ini)
        self.assertEqual([e["exe"] for e in starts(events)], [r"C:\disc\Setup.exe"])
        self.assertIsNone(reg.value(AUDIO_KEY, "DefaultFormat"))
        self.assertIsNone(reg.value(DEFAULT_USER_AUDIO_KEY, "DefaultFormat"))
        self.assertEqual(cd, {"CD PLAYER": {"UsingCDDA": "0"}})

    def test_long_name_whole_and_no_default_user_key_created(self):
        name = "Audio CD Digital Audio 44100 Hz 16-bit Stereo"
        ini = {"InstallOption": {"DriverOnly": 0, "WebSetup": 1, "InstallWDMDriver": 0},
               "Default": {"UsingCDDA": 0}}
        reg, cd, _ = self.ordinary_run("winxp", "Radio Quality,%s,Telephone" % name, ini,
                                       default_user_key=False)
        self.assertEqual(reg.value(AUDIO_KEY, "DefaultFormat"),
                         RegValue(RegValue.REG_SZ, sz(name)))
        self.assertIsNone(reg.key(DEFAULT_USER_AUDIO_KEY), "the default user's key was created")
        self.assertEqual(cd, {"CD PLAYER": {"UsingCDDA": "0"}})


if __name__ == "__main__":
    unittest.main()
