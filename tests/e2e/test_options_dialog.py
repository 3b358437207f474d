"""The Windows 2000 options dialog under Wine on Windows XP: a web package with
WebSetup=1 and InstallWDMDriver=1 beside the program. Each Install run drives the
dialog into one of the reachable jack states, with the legacy box on or off, and
checks the two AddReg lines of every staged INF byte for byte: the hand-over
deletes the staged QXAUDIO.INF, so its copy in C:\\windows\\inf is read instead.
Cancel and the close box must leave everything as it was. Like the other driver
runs, each Install pays 35 s of fixed waiting and uses a Wine virtual desktop."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import driver_fixtures as fx  # noqa: E402
import reg_files  # noqa: E402
import wine_changes  # noqa: E402

WEB = r"C:\websetup"
CAPTION = "Tonivo Device Driver Setup Program for Windows 2000"
MIXER_EXE = fx.WINDOWS_DIR + r"\Mixer.exe"
LEGACY_LINE = b'HKR,"Settings","EnableLegacy",    0x00010001,0x03,0,0,0'
JACK_LINE = b'HKR,"Settings","JackConfig",      0x00010001,0x05,0,0,0'
DIGIT_OFFSET = 48

MOTHERBOARD, SOUND_CARD = 1006, 1007
LINE_IN_REAR, LINE_IN_CENTER, MIC_SUB = 1011, 1012, 1013
DISABLE_LEGACY = 1000
OPTION_CONTROLS = (DISABLE_LEGACY, MOTHERBOARD, SOUND_CARD, LINE_IN_REAR, LINE_IN_CENTER, MIC_SUB)

# A second INF with LF line ends, the template lines further down and each twice.
SECOND_INF = (b"[Version]\nSignature=\"$Windows NT$\"\n\n[Game.AddReg]\n"
              b"HKR,,DevLoader,,*ntkern\n" + LEGACY_LINE + b" ; legacy port\n" +
              JACK_LINE + b"\n" + LEGACY_LINE + b"\n" + JACK_LINE)


def with_digits(data, legacy_digit, jack_digit):
    """data with the digit at offset 48 of the first line that begins with each template
    replaced."""
    out = bytearray(data)
    for template, digit in ((LEGACY_LINE, legacy_digit), (JACK_LINE, jack_digit)):
        start = 0
        while True:
            if data.startswith(template, start):
                out[start + DIGIT_OFFSET] = ord(digit)
                break
            lf = data.find(b"\n", start)
            if lf < 0:
                break
            start = lf + 1
    return bytes(out)


def controls(dialog):
    """{id: (checked, enabled)} of the option controls of a logged dialog."""
    return {c["id"]: (c["checked"], c["enabled"]) for c in dialog["controls"]
            if c["id"] in OPTION_CONTROLS}


def expected_controls(checked, sharing_enabled=True):
    out = {i: (1 if i in checked else 0, True) for i in OPTION_CONTROLS}
    for i in (LINE_IN_REAR, LINE_IN_CENTER, MIC_SUB):
        out[i] = (out[i][0], sharing_enabled)
    return out


class OptionsDialogTestCase(harness.WineTestCase):
    def lay_out_package(self, s):
        """The driver package of the sample disc with the program beside it, a second
        INF, and a file whose mixed-case extension is not patched."""
        fx.lay_out_web_package(s, s.copy_disc(r"C:\disc"), WEB, web_setup=1,
                               install_wdm_driver=1)
        fx.plant(s, WEB + r"\QXGAME.inf", SECOND_INF)
        fx.plant(s, WEB + r"\Notes.Inf", SECOND_INF)
        return fx.folder_files(s, WEB)

    def run_options(self, s, actions, finish="press 1"):
        script = "dialog %s | %s\n" % (CAPTION, "; ".join(actions + ["snapshot", finish]))
        return s.run(r'"%s\W2KSetup.exe"' % WEB, script=script + fx.RESTART_LATER_SCRIPT)

    def install(self, actions, checked, sharing_enabled, legacy_digit, jack_digit):
        """Runs Install after the actions; checks the controls the user saw, the staged and
        installed INFs, and what else the run did."""
        with self.scenario("winxp", desktop=True) as s:
            package = self.lay_out_package(s)
            infs_before = list(fx.folder_files(s, fx.WINDOWS_DIR + r"\inf"))
            mixer = s.start_window_companion(MIXER_EXE, "Mixer")

            result = self.run_options(s, actions)
            self.assertFalse(result.timed_out, "the program did not end: %r" % result.events)
            self.assertEqual(result.exit_code, fx.RESTART_LATER_EXIT, "the restart is pending")

            options = [d for d in result.dialogs if d["caption"] == CAPTION]
            self.assertEqual(len(options), 2, "the dialog, then its snapshot before Install")
            self.assertEqual(controls(options[0]), expected_controls({MOTHERBOARD, LINE_IN_REAR}),
                             "start states")
            self.assertEqual(controls(options[1]), expected_controls(checked, sharing_enabled))
            self.assertEqual([(b["text"], b["owner"], b["ownerVisible"])
                              for b in result.message_boxes],
                             [(fx.NOTICE_TEXT, CAPTION, True)])
            self.assertEqual([d["caption"] for d in result.dialogs[2:]],
                             [fx.RESTART_CAPTION] * 2)
            s.wait_companion(lambda evs: any(e.get("event") == "close" and
                                             e.get("title") == "Mixer" for e in evs),
                             what="the mixer's close")
            s.wait_ended(mixer, "the closed mixer")

            installed = fx.new_infs(s, infs_before)
            self.assertEqual(list(installed.values()),
                             [with_digits(package["QXAUDIO.INF"], legacy_digit, jack_digit)],
                             "one INF handed over: %s" % sorted(installed))
            staged = fx.folder_files(s, fx.STAGING_DIR)
            self.assertNotIn("QXAUDIO.INF", staged, "the hand-over deletes the staged INF")
            self.assertEqual(staged["QXGAME.inf"],
                             with_digits(SECOND_INF, legacy_digit, jack_digit))
            self.assertEqual(staged["Notes.Inf"], SECOND_INF)
            for name in ("QXAUDIO.SYS", "QXAUDIO.CAT", "setup.ini", "W2KSetup.exe"):
                self.assertEqual(staged[name], package[name], name)
            self.assertEqual(fx.folder_files(s, WEB), package, "the package was changed")



class Install(OptionsDialogTestCase):
    """One Install run per reachable jack state; the legacy box on in some, off in others."""

    def test_defaults(self):
        """Install untouched: line-in shared with the rear output, legacy device kept."""
        self.install([], {MOTHERBOARD, LINE_IN_REAR}, True, "3", "1")

    def test_line_in_center_legacy_disabled(self):
        self.install(["click %d" % LINE_IN_CENTER, "click %d" % DISABLE_LEGACY],
                     {MOTHERBOARD, LINE_IN_CENTER, DISABLE_LEGACY}, True, "2", "2")

    def test_microphone_alone_after_a_sound_card_round_trip(self):
        """1012 clears 1011; 1013 then stands alone; the sound card disables the boxes and
        the motherboard enables them again with the same marks."""
        self.install(["click %d" % LINE_IN_CENTER, "click %d" % MIC_SUB, "click %d" % SOUND_CARD,
                      "click %d" % MOTHERBOARD],
                     {MOTHERBOARD, MIC_SUB}, True, "3", "4")

    def test_line_in_rear_and_microphone_legacy_disabled(self):
        """Jack value 5 is the shipped value: that line stays as it was."""
        self.install(["click %d" % LINE_IN_REAR, "click %d" % MIC_SUB,
                      "click %d" % DISABLE_LEGACY],
                     {MOTHERBOARD, LINE_IN_REAR, MIC_SUB, DISABLE_LEGACY}, True, "2", "5")

    def test_sound_card_with_marks_kept(self):
        """The sharing boxes keep their marks, disabled, and do not count."""
        self.install(["click %d" % MIC_SUB, "click %d" % SOUND_CARD],
                     {SOUND_CARD, LINE_IN_REAR, MIC_SUB}, False, "3", "0")

    def test_sound_card_legacy_disabled(self):
        self.install(["click %d" % DISABLE_LEGACY, "click %d" % SOUND_CARD],
                     {SOUND_CARD, LINE_IN_REAR, DISABLE_LEGACY}, False, "2", "0")


class Cancel(OptionsDialogTestCase):
    """Cancel and the close box end the program without touching a file of the package,
    the staging folder or the INF folder, and without closing a program. Only the
    start-up before the dialog writes: the CD-player profile and the default sound format
    (the same on every run)."""

    def cancel_runs(self, s, finishes):
        """Runs the dialog once per finish with the mixer running; returns the snapshot
        after the runs (which ends the prefix's programs)."""
        mixer = s.start_window_companion(MIXER_EXE, "Mixer")
        closes_before = len([e for e in s.companion_events() if e.get("event") == "close"])
        for finish in finishes:
            result = self.run_options(
                s, ["click %d" % SOUND_CARD, "click %d" % DISABLE_LEGACY], finish=finish)
            self.assertFalse(result.timed_out, "the program did not end: %r" % result.events)
            self.assertEqual(result.exit_code, 1602, finish)
            self.assertEqual([d["caption"] for d in result.dialogs], [CAPTION] * 2, finish)
            self.assertEqual(result.message_boxes, [], finish)
        self.assertIsNone(mixer.poll(), "the mixer ended")
        closes = [e for e in s.companion_events() if e.get("event") == "close"]
        self.assertEqual(len(closes), closes_before, closes)
        return s.snapshot()

    def test_cancel_and_close_box(self):
        with self.scenario("winxp", desktop=True) as s:
            self.lay_out_package(s)
            s.place_companion(MIXER_EXE, Window="Mixer")
            start = s.snapshot()
            first = self.cancel_runs(s, ["press 2"])
            again = self.cancel_runs(s, ["press 2", "close"])
        changes = reg_files.diff_snapshots(start, first)
        self.assertEqual(changes["files_added"], ["windows/QXCDPLAY.INI"], changes)
        self.assertEqual(changes["files_removed"], [], changes)
        self.assertEqual(changes["files_changed"], [], changes)
        changes = wine_changes.program_changes(reg_files.diff_snapshots(first, again))
        self.assertEqual([c for kind in changes.values() for c in kind], [], changes)


if __name__ == "__main__":
    unittest.main()
