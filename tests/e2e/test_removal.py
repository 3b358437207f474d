"""Taking the driver off again under Wine on Windows XP: the entry an installation
writes into the list of installed programs, the removal Wine's own list starts
from it (`wine uninstaller --remove`, which runs UninstallString), what that
leaves on the machine before and after the restart, and a quiet removal with
nothing installed."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import driver_fixtures as fx  # noqa: E402

DISC = r"C:\disc"
ENTRY_NAME = "Quarnex Audio Driver"
ENTRY_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + ENTRY_NAME
MAKER_FOLDER = r"C:\Program Files\Quarnex"
COPY = MAKER_FOLDER + r"\W2KSetup.exe"
QUESTION = "Remove the audio driver and its files from this computer?"
REMOVED_RESTART = "The audio driver has been removed. Restart Windows to finish the removal."
NOT_INSTALLED = 1605
# What the installation puts on the machine that the removal takes off again.
INSTALLED_FILES = [fx.WINDOWS_DIR + r"\W2KSetup.exe", fx.WINDOWS_DIR + r"\Mixer.dat",
                   fx.STAGING_DIR, fx.DOS_DIR, COPY]


class RemovalThroughTheList(harness.WineTestCase):
    def test_install_list_remove_and_remove_again(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            mixer = fx.plant(s, fx.WINDOWS_DIR + r"\Mixer.exe", b"the mixer in place")
            mixerdef = fx.plant(s, fx.WINDOWS_DIR + r"\mixerdef.ini",
                                "[RUNTIME]\r\nInitialize=1\r\n")
            fx.add_test_devices(s)
            infs_before = list(fx.folder_files(s, fx.WINDOWS_DIR + r"\inf"))
            installed = s.run(r'"%s\W2KSetup.exe" /DRIVER' % DISC, script=fx.RESTART_LATER_SCRIPT)
            self.assertEqual(installed.exit_code, fx.RESTART_LATER_EXIT, installed.events)
            handed_over = fx.new_inf_names(s, infs_before)
            self.assertEqual(len(handed_over), 1)

            listed = s.wine("uninstaller", "--list").stdout
            self.assertIn("%s|||Quarnex PCI Audio Driver" % ENTRY_NAME, listed)
            entry = s.registry().key(s.program_key(ENTRY_KEY))
            self.assertIsNotNone(entry, "no entry in the list of installed programs")
            self.assertEqual(entry["UninstallString"].value, '"%s" /UNINSTALL' % COPY)
            self.assertEqual(entry["QuietUninstallString"].value, '"%s" /UNINSTALL /QUIET' % COPY)
            self.assertEqual(entry["DisplayVersion"].value, "5.12.01.0004")
            self.assertEqual(entry["NoRepair"].value, 1)
            with open(self.build.program, "rb") as f:
                self.assertTrue(fx.read_host(s, COPY) == f.read(), "the copy is not this program")
            self.assertTrue(fx.is_writable(s, COPY))
            # Windows finds the controller again after the installation's restart.
            fx.add_device(s, fx.DEVICE_INSTANCE, fx.DEVICE_HARDWARE_ID)
            devices_before = fx.present_devices(s)
            cd_profile = fx.read_host(s, fx.WINDOWS_DIR + r"\QXCDPLAY.INI")
            mixer_settings = fx.read_host(s, mixerdef)

            # Wine's list starts the entry's command and waits for it; the driver
            # answers the question with Yes.
            removal = s.run(r'C:\windows\system32\uninstaller.exe --remove "%s"' % ENTRY_NAME,
                            script="messagebox %s | press 6\n" % QUESTION)
            self.assertFalse(removal.timed_out, removal.events)
            self.assertEqual([b["text"] for b in removal.message_boxes],
                             [QUESTION, REMOVED_RESTART])
            self.assertEqual(fx.device_faults_after_run(s, devices_before, [fx.DEVICE_INSTANCE]),
                             [])
            left = [p for p in INSTALLED_FILES + [fx.WINDOWS_DIR + r"\inf" + "\\" + handed_over[0]]
                    if s.find_host_file(p)]
            # The copy runs the removal: it goes at the restart.
            self.assertEqual(left, [COPY])
            self.assertEqual(fx.read_host(s, mixer), b"the mixer in place")
            self.assertEqual(fx.read_host(s, mixerdef), mixer_settings)
            self.assertEqual(fx.read_host(s, fx.WINDOWS_DIR + r"\QXCDPLAY.INI"), cd_profile)
            reg = s.registry()
            self.assertIsNone(reg.key(s.program_key(ENTRY_KEY)))
            self.assertIsNone(reg.value(s.program_key(fx.RUN_KEY), fx.RUN_VALUE))

            s.wine("cmd", "/c", "exit")  # the prefix starts again
            self.assertIsNone(s.find_host_file(MAKER_FOLDER), "the maker's folder stayed")
            self.assertEqual(s.wine("uninstaller", "--list").stdout.strip(), "")

            again = s.run(r'"%s\W2KSetup.exe" /UNINSTALL /QUIET' % DISC)
            self.assertEqual(again.exit_code, NOT_INSTALLED)
            self.assertEqual(again.message_boxes + again.dialogs, [])


if __name__ == "__main__":
    unittest.main()
