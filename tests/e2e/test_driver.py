"""Driver installation under Wine on Windows XP: the driver-only run from the
sample disc (/DRIVER) and the web-package run (WebSetup=2) with the package
beside the program. Each run pays the program's 35 s of waiting (ten polls for a
new mixer device, which never comes under Wine, and the pause before the restart
prompt; the unit tests pin those), so each test checks everything one run shows.
The runs use a Wine virtual desktop: without a window manager, Wine waits up to
2 s each time a top-level window is hidden, which would add 6 s to every run."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import driver_fixtures as fx  # noqa: E402
from e2e_base import log  # noqa: E402
from reg_files import RegValue, profile_value  # noqa: E402
from run_logs import index_of  # noqa: E402

DISC = r"C:\disc"
WEB = r"C:\websetup"
MIXER_EXE = fx.WINDOWS_DIR + r"\Mixer.exe"
EXPECTED_RUN_VALUE = '"%s\\W2KSetup.exe" -ReplaceMixer' % fx.WINDOWS_DIR
UNINSTALL_ENTRY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quarnex Audio Driver"
REMOVAL_COPY = r"C:\Program Files\Quarnex\W2KSetup.exe"
JAPANESE_LOCALE = "ja_JP.UTF-8"
NOT_INSTALLED_JAPANESE = "ドライバをインストールできませんでした。"


class DriverRunTestCase(harness.WineTestCase):
    def prepare_common(self, s):
        """Devices, legacy INFs, driver index and running programs shared by both runs."""
        fx.add_test_devices(s)
        self.devices_before = fx.present_devices(s)
        self.assertIn(fx.DEVICE_INSTANCE, self.devices_before)
        self.assertIn(fx.OTHER_DEVICE_INSTANCE, self.devices_before)
        self.gone, self.kept = fx.plant_legacy_infs(s)
        self.index_files = fx.plant_driver_index(s)
        self.infs_before = list(fx.folder_files(s, fx.WINDOWS_DIR + r"\inf"))
        self.mixer = s.start_window_companion(MIXER_EXE, "Mixer")
        self.bystander = s.start_window_companion(r"C:\apps\Bystander.exe", "Bystander")
        self.started_before = len(s.companion_events())

    def run_driver(self, s, cmdline):
        appears = {"staged": fx.STAGING_DIR + r"\W2KSetup.dat",
                   "handed over": lambda: fx.new_inf_names(s, self.infs_before)}
        with fx.RunWatcher(s, appears=appears) as watch:
            result = s.run(cmdline, script=fx.RESTART_LATER_SCRIPT)
        self.watch = watch
        self.times = watch.timings(result)
        log("%s: run %.1f s, notice to restart prompt %.1f s" %
            (self.id(), self.times["run"] or -1, self.times.get("sequence", -1)))
        return result

    def check_run(self, s, result):
        """The boxes, the closed mixer, the running bystander and the device list."""
        self.assertFalse(result.timed_out, "the program did not end: %r" % result.events)
        self.assertEqual(result.exit_code, fx.RESTART_LATER_EXIT, "the restart is pending")

        boxes = result.message_boxes
        self.assertEqual([(b["caption"], b["text"], b["owner"]) for b in boxes],
                         [("Setup", fx.NOTICE_TEXT, "")], result.events)
        prompts = result.dialogs
        self.assertEqual([d["caption"] for d in prompts], [fx.RESTART_CAPTION] * 2,
                         "the restart prompt, then its snapshot after the click")

        def radios(dialog):
            return {c["id"]: c["checked"] for c in dialog["controls"] if c["id"] in (1000, 1001)}

        self.assertEqual(radios(prompts[0]), {1000: 1, 1001: 0}, "restart now is preselected")
        self.assertEqual(radios(prompts[1]), {1000: 0, 1001: 1})
        # The notice comes first, the prompt only after the installation: the mixer
        # closed, the package staged and its INF handed over, in that order.
        self.assertLess(result.events.index(boxes[0]), result.events.index(prompts[0]))
        events = s.settled_companion_events()
        closed = index_of(events, "close", title="Mixer")
        steps = [("notice", self.times["notice"]),
                 ("mixer closed", self.watch.companion_times.get(closed)),
                 ("package staged", self.watch.seen.get("staged")),
                 ("INF handed over", self.watch.seen.get("handed over")),
                 ("restart prompt", self.times["prompt"])]
        self.assertNotIn(None, [t for _, t in steps], steps)
        for (earlier, t1), (later, t2) in zip(steps, steps[1:]):
            self.assertLessEqual(t1, t2, "%s seen after %s: %r" % (earlier, later, steps))

        self.assertEqual([e["title"] for e in events if e.get("event") == "close"], ["Mixer"])
        self.assertEqual(len([e for e in events if e.get("event") == "start"]),
                         self.started_before, "the program started another program")
        s.wait_ended(self.mixer, "the closed mixer")
        # A restart would have ended every program of the prefix.
        self.assertIsNone(self.bystander.poll(), "the bystander ended: was a restart requested?")

        self.assertEqual(fx.device_faults_after_run(s, self.devices_before,
                                                    [fx.DEVICE_INSTANCE]), [])

    def check_files_and_registry(self, s, source_dir):
        """Purge, driver index, OEM INF, mixer staging and the Run value."""
        for p in self.gone:
            self.assertIsNone(s.find_host_file(p), "%s was not deleted" % p)
        for p in self.kept:
            self.assertIsNotNone(s.find_host_file(p), "%s was deleted" % p)
        for p in self.index_files:
            self.assertIsNone(s.find_host_file(p), "%s was not deleted" % p)

        package_inf = fx.read_host(s, source_dir + r"\QXAUDIO.INF")
        self.assertIsNotNone(package_inf)
        handed_over = fx.new_infs(s, self.infs_before)
        self.assertEqual(list(handed_over.values()), [package_inf],
                         "one new INF holding the package's INF: %s" % sorted(handed_over))

        self.assertEqual(fx.read_host(s, fx.WINDOWS_DIR + r"\Mixer.dat"),
                         fx.read_host(s, source_dir + r"\Mixer.dat"))
        self.assertEqual(fx.read_host(s, fx.WINDOWS_DIR + r"\W2KSetup.exe"),
                         fx.read_host(s, source_dir + r"\W2KSetup.dat"))

        reg = s.registry()
        value = reg.value(s.program_key(fx.RUN_KEY), fx.RUN_VALUE)
        self.assertIsNotNone(value, "the Run value was not written")
        self.assertEqual(value.type, RegValue.REG_SZ)
        # The stored data includes the terminating zero.
        self.assertEqual(value.data, (EXPECTED_RUN_VALUE + "\0").encode("utf-16-le"))
        # Windows XP: the logon run swaps the mixer, nothing is moved at the restart.
        self.assertEqual(fx.moves_at_restart(reg), [])
        entry = reg.key(s.program_key(UNINSTALL_ENTRY))
        self.assertIsNotNone(entry, "no entry in the list of installed programs")
        self.assertEqual(entry["UninstallString"].value, '"%s" /UNINSTALL' % REMOVAL_COPY)


class DriverOnly(DriverRunTestCase):
    """/DRIVER from the disc: purge, staging with the DOS files, mixer defaults."""

    def test_driver_switch(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            # A read-only file on the disc arrives writable.
            os.chmod(s.host_path(DISC + r"\Dosdrv\QXDOS.SYS"), 0o444)
            mixerdef = fx.plant(s, fx.WINDOWS_DIR + r"\mixerdef.ini",
                                "[RUNTIME]\r\nInitialize=1\r\nVolume=7\r\n")
            self.prepare_common(s)

            result = self.run_driver(s, r'"%s\W2KSetup.exe" /DRIVER' % DISC)
            self.check_run(s, result)

            drv = DISC + r"\W2K-ME\drv"
            staged = fx.folder_files(s, fx.STAGING_DIR)
            source = fx.folder_files(s, drv)
            del source["QXAUDIO.INF"]  # moved to the INF folder by the hand-over
            self.assertEqual(staged, source)
            self.assertEqual(fx.folder_files(s, fx.DOS_DIR),
                             fx.folder_files(s, DISC + r"\Dosdrv"))
            self.assertEqual(fx.folder_files(s, fx.DOS_DIR + r"\DOSAPP"),
                             fx.folder_files(s, DISC + r"\Dosdrv\DOSAPP"))
            self.assertTrue(fx.is_writable(s, fx.DOS_DIR + r"\QXDOS.SYS"))

            ini = fx.read_host(s, mixerdef)
            self.assertEqual(profile_value(ini, "RUNTIME", "Initialize"), "0")
            self.assertEqual(profile_value(ini, "RUNTIME", "Volume"), "7")

            self.check_files_and_registry(s, drv)


class RefusedHandOver(harness.WineTestCase):
    """/DRIVER from a disc whose driver folder lacks the INF: the setup services refuse
    the hand-over, and the run says so instead of offering a restart; in the user's
    language, while the notice before it is the same English text everywhere."""

    def test_disc_without_inf(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            os.remove(s.host_path(DISC + r"\W2K-ME\drv\QXAUDIO.INF"))
            result = s.run(r'"%s\W2KSetup.exe" /DRIVER' % DISC)
            self.assertFalse(result.timed_out, "the program did not end: %r" % result.events)
            self.assertEqual(result.exit_code, 2, "the hand-over's error: file not found")
            boxes = [(b["caption"], b["text"].replace("\r\n", "\n"), b["owner"])
                     for b in result.message_boxes]
            self.assertEqual(len(boxes), 2, result.events)
            self.assertEqual(boxes[0], ("Setup", fx.NOTICE_TEXT, ""))
            caption, text, owner = boxes[1]
            self.assertEqual((caption, owner), ("Setup", ""))
            self.assertTrue(text.startswith("The driver could not be installed.\n\n"), text)
            self.assertGreater(len(text), len("The driver could not be installed.\n\n"),
                               "the system's reason follows")
            self.assertNotIn("administrator", text)
            self.assertEqual(result.dialogs, [], "no restart prompt")

            reg = s.registry()
            self.assertIsNone(reg.value(s.program_key(fx.RUN_KEY), fx.RUN_VALUE),
                              "the logon entry was left armed")
            self.assertIsNone(reg.key(s.program_key(UNINSTALL_ENTRY)),
                              "a refused installation was listed")
            # Mixer.dat stays where staging put it; only the logon entry is taken back.
            self.assertIsNotNone(s.find_host_file(fx.WINDOWS_DIR + r"\Mixer.dat"))

            s.env.update(LANG=JAPANESE_LOCALE, LC_ALL=JAPANESE_LOCALE)
            result = s.run(r'"%s\W2KSetup.exe" /DRIVER' % DISC)
            self.assertFalse(result.timed_out, "the program did not end: %r" % result.events)
            self.assertEqual(result.exit_code, 2)
            # The texts arrive in the Japanese ANSI code page.
            texts = [b["text"].encode("latin-1").decode("cp932").replace("\r\n", "\n")
                     for b in result.message_boxes]
            self.assertEqual(len(texts), 2, result.events)
            self.assertEqual(texts[0], fx.NOTICE_TEXT)
            self.assertTrue(texts[1].startswith(NOT_INSTALLED_JAPANESE + "\n\n"), texts[1])


class WebPackage(DriverRunTestCase):
    """WebSetup=2 with the package beside the program: everything beside it is staged,
    no DOS files, mixerdef.ini untouched."""

    def test_flat_package(self):
        with self.scenario("winxp", desktop=True) as s:
            fx.lay_out_web_package(s, s.copy_disc(DISC), WEB, web_setup=2,
                                   install_wdm_driver=0)
            mixerdef_text = b"[RUNTIME]\r\nInitialize=1\r\n"
            mixerdef = fx.plant(s, fx.WINDOWS_DIR + r"\mixerdef.ini", mixerdef_text)
            self.prepare_common(s)
            package = fx.folder_files(s, WEB)

            result = self.run_driver(s, r'"%s\W2KSetup.exe"' % WEB)
            self.check_run(s, result)

            staged = fx.folder_files(s, fx.STAGING_DIR)
            del package["QXAUDIO.INF"]
            self.assertIn("W2KSetup.exe", package)
            self.assertIn("setup.ini", package)
            self.assertEqual(staged, package)
            self.assertIsNone(s.find_host_file(fx.DOS_DIR), "the DOS folder was created")
            self.assertEqual(fx.read_host(s, mixerdef), mixerdef_text)

            self.check_files_and_registry(s, WEB)


class MixerAtRestart(harness.WineTestCase):
    """Windows 7 and 10, where logon entries start without administrator rights: the
    installation has Windows move a copy of the new mixer over Mixer.exe when it next
    starts, writes no logon entry, and leaves Mixer.exe alone until then. Wine makes
    the moves noted for the restart when the prefix starts again."""

    def install(self, s, times):
        # The disc's new mixer is the companion too: marked, so that it can be told apart.
        new_mixer = DISC + r"\W2K-ME\drv\Mixer.dat"
        fx.plant(s, new_mixer, fx.read_host(s, new_mixer) + b"new mixer")
        mixer = s.start_window_companion(MIXER_EXE, "Mixer")
        old_mixer = fx.read_host(s, MIXER_EXE)
        for _ in range(times):
            result = s.run(r'"%s\W2KSetup.exe" /DRIVER' % DISC, script=fx.RESTART_LATER_SCRIPT)
            self.assertFalse(result.timed_out, "the program did not end: %r" % result.events)
            self.assertEqual(result.exit_code, fx.RESTART_LATER_EXIT)
        s.wait_ended(mixer, "the closed mixer")
        self.assertTrue(fx.read_host(s, MIXER_EXE) == old_mixer, "Mixer.exe changed before the restart")
        return old_mixer

    def check_restart(self, s):
        new_mixer = fx.read_host(s, DISC + r"\W2K-ME\drv\Mixer.dat")
        reg = s.registry()  # ends the prefix's programs, which is the shutdown
        self.assertIsNone(reg.value(s.program_key(fx.RUN_KEY), fx.RUN_VALUE),
                          "a logon entry was written")
        self.assertIsNone(s.find_host_file(fx.WINDOWS_DIR + r"\W2KSetup.exe"))
        self.assertIn(("\\??\\%s\\Mixer.new" % fx.WINDOWS_DIR, "!\\??\\%s" % MIXER_EXE),
                      fx.moves_at_restart(reg))
        s.wine("cmd", "/c", "exit")  # the prefix starts again
        self.assertTrue(fx.read_host(s, MIXER_EXE) == new_mixer,
                        "Mixer.exe is not the new mixer after the restart")
        self.assertIsNone(s.find_host_file(fx.WINDOWS_DIR + r"\Mixer.new"))
        self.assertEqual(fx.moves_at_restart(s.registry()), [])

    def test_windows10(self):
        with open(self.build.program, "rb") as f:
            self.assertTrue(b'level="requireAdministrator"' in f.read(),
                            "the manifest does not ask for administrator rights")
        with self.scenario("win10", desktop=True) as s:
            s.copy_disc(DISC)
            self.install(s, 1)
            self.check_restart(s)

    def test_windows7_installed_twice_before_the_restart(self):
        with self.scenario("win7", desktop=True) as s:
            s.copy_disc(DISC)
            self.install(s, 2)
            self.check_restart(s)


if __name__ == "__main__":
    unittest.main()
