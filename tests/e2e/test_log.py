"""The diagnostic log under Wine on Windows XP: a /DRIVER run from the sample disc
with W2KSETUP_LOG naming a file appends its steps there, short enough to read,
the INF hand-over and the exit code among them; with the variable naming a file
in a folder that does not exist, the run does what it does without the variable.
Each driver run pays the installation's 35 s of fixed waiting."""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import driver_fixtures as fx  # noqa: E402
import reg_files  # noqa: E402
import wine_changes  # noqa: E402

DISC = r"C:\disc"
COMMAND = r'"%s\W2KSetup.exe" /DRIVER' % DISC
LOG = r"C:\logs\setup.log"
STAGED_INF = fx.STAGING_DIR + r"\QXAUDIO.INF"
HAND_OVER = 'DeviceSetup.CopyOEMInf("%s", "%s", 1, 1) -> true' % (STAGED_INF, fx.STAGING_DIR)
STAGING_COPY = ('FileSystem.CopyFile("%s\\W2K-ME\\drv\\QXAUDIO.INF", "%s", false) -> true' %
                (DISC, STAGED_INF))
NOTICE = 'Desktop.MessageBox(0, "%s", "Setup", 0) -> 1' % fx.NOTICE_TEXT
# A support engineer reads the whole log of a run.
MOST_LINES = 150
LINE = re.compile(r"^ *(\d+) (.*)$")


def log_lines(data):
    """[(milliseconds, text)] of the log's bytes; every line must end in CRLF."""
    text = data.decode("latin-1")
    if not text.endswith("\r\n"):
        raise AssertionError("the log does not end with a whole line: %r" % text[-200:])
    out = []
    for line in text[:-2].split("\r\n"):
        m = LINE.match(line)
        if not m or len(line) - len(m.group(2)) != 11:
            raise AssertionError("not a log line: %r" % line)
        out.append((int(m.group(1)), m.group(2)))
    return out


def exit_code_text(code):
    """The exit code as the log writes it: decimal below 0x10000, else hexadecimal."""
    code &= 0xFFFFFFFF
    return str(code) if code < 0x10000 else "0x%X" % code


class LogFile(harness.WineTestCase):
    def test_driver_run_appends_its_steps_and_the_hand_over(self):
        with self.scenario("winxp", desktop=True) as s:
            s.copy_disc(DISC)
            earlier = b"a line of an earlier run\r\n"
            fx.plant(s, LOG, earlier)

            result = s.run(COMMAND, script=fx.RESTART_LATER_SCRIPT,
                           environment={"W2KSETUP_LOG": LOG})
            self.assertFalse(result.timed_out, "the program did not end: %r" % result.events)
            self.assertEqual(result.exit_code, fx.RESTART_LATER_EXIT)
            self.assertEqual([b["text"] for b in result.message_boxes], [fx.NOTICE_TEXT])
            self.assertEqual(result.dialogs[0]["caption"], fx.RESTART_CAPTION)
            # The hand-over took the staged INF away, as the log will say it did.
            self.assertIsNone(s.find_host_file(STAGED_INF))

            data = fx.read_host(s, LOG)
            self.assertTrue(data.startswith(earlier), "the earlier content was not kept")
            lines = log_lines(data[len(earlier):])
            texts = [t for _, t in lines]
            self.assertRegex(texts[0], r'^W2KSetup 2\.0 start: command line '
                             r'"%22C:\\disc\\W2KSetup\.exe%22 /DRIVER", Windows 5\.1\.\d+ '
                             r'platform 2, program directory "C:\\disc\\"$')
            self.assertEqual(texts[-1], "W2KSetup end: exit code %s" %
                             exit_code_text(result.exit_code))
            for expected in (STAGING_COPY, NOTICE, HAND_OVER):
                self.assertEqual(texts.count(expected), 1, "%s\nin the log:\n%s" %
                                 (expected, "\n".join(texts)))
            self.assertLess(texts.index(STAGING_COPY), texts.index(HAND_OVER))
            self.assertTrue(any(t.startswith("Desktop.RunModalDialog(132, 0, ...) -> ")
                                for t in texts))
            print("the /DRIVER run logged %d lines" % len(lines))
            self.assertLessEqual(len(lines), MOST_LINES, "\n".join(texts))
            self.assertFalse([t for t in texts if "IsDBCSLeadByte" in t])
            times = [ms for ms, _ in lines]
            self.assertEqual(times, sorted(times), "the timestamps went back")

    def test_log_in_a_missing_folder_changes_nothing(self):
        def outcome(environment):
            """What a /DRIVER run showed and changed, with this extra environment."""
            with self.scenario("winxp", desktop=True) as s:
                s.copy_disc(DISC)
                before = s.snapshot()
                result = s.run(COMMAND, script=fx.RESTART_LATER_SCRIPT, environment=environment)
                self.assertFalse(result.timed_out, "the program did not end: %r" % result.events)
                changes = wine_changes.program_changes(
                    reg_files.diff_snapshots(before, s.snapshot()))
                self.assertIsNone(s.find_host_file(r"C:\missing"))
                return {
                    "exit code": result.exit_code,
                    "message boxes": [(b["caption"], b["text"], b["owner"])
                                      for b in result.message_boxes],
                    "dialogs": [(d["caption"], [(c["id"], c.get("checked"))
                                                for c in d["controls"]])
                                for d in result.dialogs],
                    "changes": changes,
                }

        self.maxDiff = None
        without = outcome({})
        self.assertTrue(without["changes"]["files_added"], "the run installed nothing")
        missing = outcome({"W2KSETUP_LOG": r"C:\missing\folder\setup.log"})
        self.assertEqual(missing, without)


if __name__ == "__main__":
    unittest.main()
