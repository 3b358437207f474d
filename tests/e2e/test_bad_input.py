"""Bad input only the real system can show, under Wine: a folder whose double-byte
name ends in a 0x5C trail byte under a Japanese locale, folders at the edge of the
260-character path limit, and a mixer still running when the logon run swaps it."""

import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from reg_files import read_profile  # noqa: E402
from run_logs import closes, starts  # noqa: E402

RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Replace Quarnex Mixer"
TOO_LONG_TEXT = ("Setup cannot run from this folder, as its path is too long. Copy the disc to "
                 "a folder with a shorter path and start Setup from there.")
PATH_TOO_LONG = 206  # ERROR_FILENAME_EXCED_RANGE
ACCESS_DENIED = 5

# "ソ表": in code page 932 the bytes 83 5C 95 5C, both characters ending in 0x5C.
JAPANESE_FOLDER = "C:\\\u30bd\u8868"
JAPANESE_LOCALE = "ja_JP.UTF-8"
# UsingCDDA=1 shows in QXCDPLAY.INI that a run read the disc's setup.ini; WebSetup=1
# without InstallWDMDriver then ends the run with nothing shown.
READ_AND_END = {"InstallOption": {"WebSetup": 1, "InstallWDMDriver": 0},
                "Default": {"UsingCDDA": 1}}


def cp932(text):
    """A text the logs hold as the program's ANSI bytes (one character per byte)."""
    return text.encode("latin-1").decode("cp932")


def long_folder(length):
    """A C: folder path of exactly `length` characters, in parts a Linux name can hold."""
    total = length - len("C:")
    count = -(-total // 121)  # parts of at most 120 characters, each after a backslash
    base, extra = divmod(total, count)
    path = "C:"
    for i in range(count):
        size = base + (1 if i < extra else 0) - 1
        path += "\\" + ("L%d" % i).ljust(size, "x")
    assert len(path) == length, path
    return path


class DoubleByteFolder(harness.WineTestCase):
    """A disc in "C:\\ソ表" under a Japanese locale: the program directory keeps its
    final backslash, so the hand-over on Windows 98 and the suite run on Windows XP
    both find their programs beside the program."""

    def test_folder_ending_in_a_5c_trail_byte(self):
        with self.scenario("win98") as s:
            s.copy_disc(JAPANESE_FOLDER)
            s.env.update(LANG=JAPANESE_LOCALE, LC_ALL=JAPANESE_LOCALE)
            # Unquoted, so that Wine's own command line carries it: the driver's
            # E2E_COMMAND read loses the bytes a double-byte character adds.
            forwarded = s.run("%s\\W2KSetup.exe /ap" % JAPANESE_FOLDER)
            self.assertExitedWith(forwarded, 0)
            before = len(starts(s.settled_companion_events()))
            s.set_windows_version("winxp")
            suite = s.run("%s\\W2KSetup.exe /AP" % JAPANESE_FOLDER)
            self.assertExitedWith(suite, 0)
            events = s.settled_companion_events()

        self.assertEqual(forwarded.message_boxes + forwarded.dialogs, [], forwarded.events)
        self.assertEqual(suite.message_boxes + suite.dialogs, [], suite.events)
        started = starts(events)
        self.assertEqual([cp932(e["cmdline"]) for e in started[:before]],
                         ['"%s\\Setup.exe" /AP' % JAPANESE_FOLDER], events)
        self.assertEqual([cp932(e["cmdline"]) for e in started[before:]],
                         ['"%s\\W2K-ME\\app\\Setup.exe"' % JAPANESE_FOLDER], events)
        self.assertEqual(cp932(started[-1]["cwd"]), JAPANESE_FOLDER + "\\W2K-ME")


class PathLimits(harness.WineTestCase):
    """Windows starts no program whose path is longer than 259 characters: the longest
    program path runs and reads its setup.ini; one character more is not started. A
    program started from a longer folder all the same (the Wine loader does, from a
    Unix shell) refuses with a message rather than reading a folder cut short."""

    def test_longest_program_path_runs(self):
        folder = long_folder(246)
        self.assertEqual(len(folder + "\\W2KSetup.exe"), 259)
        with self.scenario("winxp") as s:
            s.copy_disc(folder, setup_ini=READ_AND_END)
            result = s.run('"%s\\W2KSetup.exe"' % folder)
            self.assertExitedWith(result, 0)
            cd_profile = s.find_host_file(r"C:\windows\QXCDPLAY.INI")
            self.assertIsNotNone(cd_profile, "QXCDPLAY.INI was not written")
            cd_settings = read_profile(cd_profile)
            events = s.settled_companion_events()
        self.assertEqual(result.message_boxes + result.dialogs, [], result.events)
        self.assertEqual(cd_settings, {"CD PLAYER": {"UsingCDDA": "1"}})
        self.assertEqual(starts(events), [])

    def test_longer_paths(self):
        over = long_folder(247)
        far_over = long_folder(265)
        with self.scenario("winxp") as s:
            s.copy_disc(over, setup_ini=READ_AND_END)
            s.copy_disc(far_over, setup_ini=READ_AND_END)
            # What a path cut to 259 characters would have read instead.
            parent = far_over[:far_over.rindex("\\")]
            s.write_profile(parent + "\\setup.ini", {"InstallOption": {"WebSetup": 2}})

            # One character over: CreateProcessA refuses the path (not found).
            s.wine(r"C:\e2e\e2e-driver.exe", r"C:\e2e\over.log", "-", over + "\\W2KSetup.exe",
                   check=False)
            with open(s.host_path(r"C:\e2e\over.log"), "rb") as f:
                over_log = f.read().decode("latin-1")

            # Far over, started by the Wine loader: the message box shows; a driver
            # run alongside (its own program waits a moment) answers and logs it.
            program = subprocess.Popen([s.loader, far_over + "\\W2KSetup.exe"], env=s.env,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            s.background.append(program)
            s.wait_window("Setup")
            s.place_companion(r"C:\helper\wait.exe", RunMs=5000)
            answered = s.run(r"C:\helper\wait.exe")
            s.wait_ended(program, "the program from the long folder")
            cd_profile = s.find_host_file(r"C:\windows\QXCDPLAY.INI")
            events = s.settled_companion_events()

        self.assertIn('"event":"startfailed"', over_log)
        self.assertEqual(program.returncode, PATH_TOO_LONG)
        self.assertEqual([(b["caption"], b["text"], b["owner"]) for b in answered.message_boxes],
                         [("Setup", TOO_LONG_TEXT, "")], answered.events)
        self.assertIsNone(cd_profile, "QXCDPLAY.INI was written")
        self.assertEqual([e["exe"] for e in starts(events)], [r"C:\helper\wait.exe"])


class LockedFile(harness.WineTestCase):
    """A mixer that ignores WM_CLOSE still runs when the logon run swaps it: Windows
    refuses to overwrite a running program, so the old Mixer.exe stays whole."""

    def test_mixer_still_running_at_logon(self):
        with self.scenario("winxp") as s:
            windir = s.host_path("C:\\windows")
            shutil.copyfile(s.build.program, os.path.join(windir, "W2KSetup.exe"))
            with open(os.path.join(windir, "Mixer.dat"), "wb") as f:
                f.write(b"new mixer bytes")
            s.reg_add(RUN_KEY, RUN_VALUE, r'"C:\windows\W2KSetup.exe" -ReplaceMixer')
            s.place_companion(r"C:\windows\Mixer.exe", Window="Mixer", IgnoreClose=1)
            old = s.start_companion(r"C:\windows\Mixer.exe", window="Mixer")
            # Read by the running mixer; without it a mixer started later logs its
            # start and ends at once.
            os.remove(s.host_path(r"C:\windows\Mixer.cfg"))
            with open(s.host_path(r"C:\windows\Mixer.exe"), "rb") as f:
                old_mixer = f.read()
            before = len(s.companion_events())

            result = s.run(r"C:\windows\W2KSetup.exe -ReplaceMixer", cwd="C:\\windows")
            self.assertExitedWith(result, ACCESS_DENIED)
            events = s.settled_companion_events()
            self.assertIsNone(old.poll(), "the mixer that ignores WM_CLOSE has ended")
            with open(s.host_path(r"C:\windows\Mixer.exe"), "rb") as f:
                mixer = f.read()
            after = s.registry()

        self.assertEqual(result.message_boxes + result.dialogs, [], result.events)
        self.assertEqual([e["title"] for e in closes(events[before:])], ["Mixer"], events)
        self.assertTrue(mixer == old_mixer, "Mixer.exe was changed")
        # The mixer in place is started as the swap would have started the new one.
        self.assertEqual([e["cmdline"] for e in starts(events[before:])],
                         [r'"C:\windows\Mixer.exe" /startup'], events)
        self.assertIsNone(after.value(s.program_key(RUN_KEY), RUN_VALUE))


if __name__ == "__main__":
    unittest.main()
