"""Checks of the harness's own parsers; they need no Wine."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

# Excerpt in the form Wine saves its hives, including escapes it writes.
WINE_HIVE = (
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] 1796620763\n"
    "#time=1dd860a8562b6ce\n"
    "\"Tonivo Applications\"=\"C:\\\\Program Files\\\\T\\\\a \\\"b\\\".exe\"\n"
    "\"Unicode \\x30ab\"=\"caf\\x00e9\\x3000x\"\n"
    "@=\"default\"\n"
    "\n"
    "[Software\\\\E2E] 1796620763\n"
    "\"Exp\"=str(2):\"%SystemRoot%\\\\x\"\n"
    "\"NoZero\"=hex(1):41,00,42,00\n"
    "\"Multi\"=str(7):\"a\\0b\\0\"\n"
    "\"Dw\"=dword:0000002a\n"
    "\"Long\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\n"
    "  00,25,00,00,00\n"
    "\n"
    "[Software\\\\Empty] 1796620763\n"
)

REGEDIT_EXPORT = (
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Wine]\r\n"
    "\"Version\"=\"win98\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\X]\r\n"
    "\"Bin\"=hex:01,02,\\\r\n"
    "  ff\r\n"
)


class RegistryParsing(unittest.TestCase):
    def setUp(self):
        self.reg = harness.Registry(harness.parse_reg_text(WINE_HIVE, "HKLM"))

    def test_strings_with_escapes(self):
        run = r"hklm\software\microsoft\windows\currentversion\RUN"
        self.assertEqual(self.reg.value(run, "tonivo applications").value,
                         'C:\\Program Files\\T\\a "b".exe')
        self.assertEqual(self.reg.value(run, "Unicode \u30ab").value, "caf\u00e9\u3000x")
        self.assertEqual(self.reg.value(run, "").value, "default")

    def test_typed_values(self):
        key = r"HKLM\Software\E2E"
        exp = self.reg.value(key, "Exp")
        self.assertEqual((exp.type, exp.value), (2, r"%SystemRoot%\x"))
        self.assertEqual(self.reg.value(key, "NoZero").value, "AB")
        self.assertEqual(self.reg.value(key, "Multi").value, ["a", "b"])
        self.assertEqual(self.reg.value(key, "Dw").value, 42)
        long_ = self.reg.value(key, "Long")
        self.assertEqual((long_.type, long_.value), (2, "%SystemRoot%"))

    def test_missing_and_empty_keys(self):
        self.assertIsNone(self.reg.key(r"HKLM\Software\Nothing"))
        self.assertEqual(self.reg.key(r"HKLM\Software\Empty"), {})
        self.assertIsNone(self.reg.value(r"HKLM\Software\E2E", "Absent"))

    def test_regedit_export_with_absolute_keys(self):
        reg = harness.Registry(harness.parse_reg_text(REGEDIT_EXPORT, None))
        self.assertEqual(reg.value(r"HKEY_CURRENT_USER\Software\Wine", "Version").value, "win98")
        self.assertEqual(reg.value(r"HKLM\Software\X", "Bin").value, b"\x01\x02\xff")

    def test_diff_reports_values_and_keys(self):
        after_text = WINE_HIVE.replace("\"Dw\"=dword:0000002a", "\"Dw\"=dword:0000002b")
        after_text = after_text.replace("@=\"default\"\n", "")
        after_text += "[Software\\\\New] 1\n\"V\"=\"1\"\n"
        before = harness.Snapshot(self.reg, {"a.txt": (1, "x"), "b.txt": (1, "y")})
        after = harness.Snapshot(harness.Registry(harness.parse_reg_text(after_text, "HKLM")),
                                 {"a.txt": (1, "z"), "c.txt": (2, "w")})
        d = harness.diff_snapshots(before, after)
        self.assertEqual([k for k, _ in d["registry_added"]],
                         [(r"HKLM\Software\New", None), (r"HKLM\Software\New", "V")])
        self.assertEqual([k for k, _ in d["registry_removed"]],
                         [(r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run", "")])
        self.assertEqual([(k, o.value, n.value) for k, o, n in d["registry_changed"]],
                         [((r"HKLM\Software\E2E", "Dw"), 42, 43)])
        self.assertEqual((d["files_added"], d["files_removed"], d["files_changed"]),
                         (["c.txt"], ["b.txt"], ["a.txt"]))


class CommandLines(unittest.TestCase):
    def test_representable_command_lines(self):
        self.assertEqual(harness.wine_argv_for(r'"C:\My Disc\W2KSetup.exe" /AP'),
                         [r"C:\My Disc\W2KSetup.exe", "/AP"])
        self.assertEqual(harness.wine_argv_for(r"C:\disc\W2KSetup.exe"), [r"C:\disc\W2KSetup.exe"])

    def test_command_lines_wine_would_change(self):
        for cmdline in (r"C:\a.exe /AP ", r"C:\a.exe  /AP", r'"C:\a.exe" /AP',
                        r'C:\a.exe "x', r'C:\a.exe a"b'):
            with self.assertRaises(ValueError, msg=cmdline):
                harness.wine_argv_for(cmdline)


class Logs(unittest.TestCase):
    def test_json_lines_with_ansi_bytes_and_torn_last_line(self):
        with tempfile.NamedTemporaryFile(delete=False) as f:
            f.write(b'{"event":"start","cmdline":"C:\\\\x\\u0009\xe9"}\r\n'
                    b'{"event":"exit","code":0}\r\n{"event":"cl')
        try:
            events = harness.read_json_lines(f.name)
        finally:
            os.remove(f.name)
        self.assertEqual(events, [{"event": "start", "cmdline": "C:\\x\t\u00e9"},
                                  {"event": "exit", "code": 0}])

    def test_bad_line_in_the_middle_is_an_error(self):
        with tempfile.NamedTemporaryFile(delete=False) as f:
            f.write(b'{"event":\r\n{"event":"exit","code":0}\r\n')
        try:
            with self.assertRaises(harness.HarnessError):
                harness.read_json_lines(f.name)
        finally:
            os.remove(f.name)


if __name__ == "__main__":
    unittest.main()
