"""Checks of the harness's own parsers and waits; they need no Wine."""

import os
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_base  # noqa: E402
import harness  # noqa: E402
import reg_files  # noqa: E402
import run_logs  # noqa: E402
import scenario  # noqa: E402
import wine_changes  # noqa: E402

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
        self.reg = reg_files.Registry(reg_files.parse_reg_text(WINE_HIVE, "HKLM"))

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
        reg = reg_files.Registry(reg_files.parse_reg_text(REGEDIT_EXPORT, None))
        self.assertEqual(reg.value(r"HKEY_CURRENT_USER\Software\Wine", "Version").value, "win98")
        self.assertEqual(reg.value(r"HKLM\Software\X", "Bin").value, b"\x01\x02\xff")

    def test_diff_reports_values_and_keys(self):
        after_text = WINE_HIVE.replace("\"Dw\"=dword:0000002a", "\"Dw\"=dword:0000002b")
        after_text = after_text.replace("@=\"default\"\n", "")
        after_text += "[Software\\\\New] 1\n\"V\"=\"1\"\n"
        before = reg_files.Snapshot(self.reg, {"a.txt": (1, "x"), "b.txt": (1, "y")})
        after = reg_files.Snapshot(reg_files.Registry(reg_files.parse_reg_text(after_text, "HKLM")),
                                 {"a.txt": (1, "z"), "c.txt": (2, "w")})
        d = reg_files.diff_snapshots(before, after)
        self.assertEqual([k for k, _ in d["registry_added"]],
                         [(r"HKLM\Software\New", None), (r"HKLM\Software\New", "V")])
        self.assertEqual([k for k, _ in d["registry_removed"]],
                         [(r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run", "")])
        self.assertEqual([(k, o.value, n.value) for k, o, n in d["registry_changed"]],
                         [((r"HKLM\Software\E2E", "Dw"), 42, 43)])
        self.assertEqual((d["files_added"], d["files_removed"], d["files_changed"]),
                         (["c.txt"], ["b.txt"], ["a.txt"]))


class WhatWineChanges(unittest.TestCase):
    """Wine's own changes during a run do not count; the program's wrong ones do."""

    CONTROLLER = r"ROOT\MEDIA\0001"
    BEFORE = {CONTROLLER: [r"PCI\VEN_1E5B&DEV_0111&SUBSYS_00011E5B&REV_01"],
              r"ROOT\MEDIA\0002": [r"PCI\VEN_8086&DEV_2415"],
              r"ROOT\WINE\WINEBUS": [r"ROOT\WINEBUS"]}

    def test_devices(self):
        after = {k: v for k, v in self.BEFORE.items() if k != self.CONTROLLER}
        monitor = {r"DISPLAY\DEFAULT_MONITOR\0000&0000": [r"MONITOR\Default_Monitor"]}
        cases = [
            ("Wine adds its monitor during the run", dict(after, **monitor), []),
            ("the controller is left", self.BEFORE, ["%s was not removed" % self.CONTROLLER]),
            ("another device is removed too", {r"ROOT\WINE\WINEBUS": [r"ROOT\WINEBUS"]},
             [r"ROOT\MEDIA\0002 was removed"]),
            ("a device of the controller comes", dict(after, **{r"PCI\X\1": [r"pci\ven_1e5b&dev_0111"]}),
             [r"PCI\X\1 appeared: ['pci\\ven_1e5b&dev_0111']"]),
        ]
        for what, devices, faults in cases:
            with self.subTest(what):
                self.assertEqual(wine_changes.device_faults(self.BEFORE, devices,
                                                            [self.CONTROLLER]), faults)

    def test_registry_changes(self):
        enum = r"HKLM\System\CurrentControlSet\Enum"
        classes = r"HKLM\System\CurrentControlSet\Control\Class"
        value = reg_files.RegValue(reg_files.RegValue.REG_SZ, b"")
        wine = [((enum + r"\DISPLAY\Default_Monitor\0000&0000", None), value),
                ((classes + r"\{4D36E968-E325-11CE-BFC1-08002BE10318}\0000", "DriverDateData"),
                 value),
                ((r"HKCU\Software\Wine\Explorer\Desktops", "e2e"), value)]
        program = [((enum + r"\ROOT\MEDIA\0001", None), value),
                   ((classes + r"\{4d36e96c-e325-11ce-bfc1-08002be10318}\0003", None), value),
                   ((classes, "Added"), value),
                   ((r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run", "X"), value)]
        diff = {"registry_added": wine + program, "registry_removed": [],
                "registry_changed": [], "files_added": ["windows/x.ini"]}
        self.assertEqual(wine_changes.program_changes(diff),
                         dict(diff, registry_added=program))


class CommandLines(unittest.TestCase):
    def test_representable_command_lines(self):
        self.assertEqual(scenario.wine_argv_for(r'"C:\My Disc\W2KSetup.exe" /AP'),
                         [r"C:\My Disc\W2KSetup.exe", "/AP"])
        self.assertEqual(scenario.wine_argv_for(r"C:\disc\W2KSetup.exe"), [r"C:\disc\W2KSetup.exe"])

    def test_command_lines_wine_would_change(self):
        for cmdline in (r"C:\a.exe /AP ", r"C:\a.exe  /AP", r'"C:\a.exe" /AP',
                        r'C:\a.exe "x', r'C:\a.exe a"b'):
            with self.assertRaises(ValueError, msg=cmdline):
                scenario.wine_argv_for(cmdline)


class Logs(unittest.TestCase):
    def test_json_lines_with_ansi_bytes_and_torn_last_line(self):
        with tempfile.NamedTemporaryFile(delete=False) as f:
            f.write(b'{"event":"start","cmdline":"C:\\\\x\\u0009\xe9"}\r\n'
                    b'{"event":"exit","code":0}\r\n{"event":"cl')
        try:
            events = run_logs.read_json_lines(f.name)
        finally:
            os.remove(f.name)
        self.assertEqual(events, [{"event": "start", "cmdline": "C:\\x\t\u00e9"},
                                  {"event": "exit", "code": 0}])

    def test_bad_line_in_the_middle_is_an_error(self):
        with tempfile.NamedTemporaryFile(delete=False) as f:
            f.write(b'{"event":\r\n{"event":"exit","code":0}\r\n')
        try:
            with self.assertRaises(e2e_base.HarnessError):
                run_logs.read_json_lines(f.name)
        finally:
            os.remove(f.name)


class Profiles(unittest.TestCase):
    def test_written_text_reads_back_with_names_as_written(self):
        text = reg_files.profile_text({"CD PLAYER": {"UsingCDDA": 1}, "Other": {"A": "x=y"}})
        self.assertEqual(text, "[CD PLAYER]\r\nUsingCDDA=1\r\n[Other]\r\nA=x=y\r\n")
        self.assertEqual(reg_files.parse_profile(text.encode("latin-1")),
                         {"CD PLAYER": {"UsingCDDA": "1"}, "Other": {"A": "x=y"}})

    def test_value_lookup_ignores_case_and_blanks(self):
        data = b"; comment\r\n[RunTime]\r\n Initialize = 0 \r\nVolume=7\r\n[Other]\r\nVolume=1\r\n"
        self.assertEqual(reg_files.profile_value(data, "RUNTIME", "initialize"), "0")
        self.assertEqual(reg_files.profile_value(data, "runtime", "Volume"), "7")
        self.assertIsNone(reg_files.profile_value(data, "RUNTIME", "Absent"))
        self.assertIsNone(reg_files.profile_value(data, "Absent", "Volume"))


class CompanionLogOrder(unittest.TestCase):
    EVENTS = [{"event": "start", "exe": r"C:\u.exe", "pid": 8},
              {"event": "close", "title": "Mixer", "pid": 4},
              {"event": "exit", "exe": r"C:\u.exe", "code": 0, "pid": 8},
              {"event": "start", "exe": r"C:\s.exe", "pid": 8}]

    def test_first_entry_of_a_kind_with_all_fields(self):
        self.assertEqual(run_logs.index_of(self.EVENTS, "start", pid=8), 0)
        self.assertEqual(run_logs.index_of(self.EVENTS, "start", exe=r"C:\s.exe", pid=8), 3)
        self.assertEqual(run_logs.index_of(self.EVENTS, "exit", pid=8), 2)
        self.assertIsNone(run_logs.index_of(self.EVENTS, "exit", pid=4))
        self.assertEqual([e["exe"] for e in run_logs.starts(self.EVENTS)],
                         [r"C:\u.exe", r"C:\s.exe"])
        self.assertEqual(run_logs.closes(self.EVENTS), [self.EVENTS[1]])
        self.assertEqual(run_logs.exits(self.EVENTS), [self.EVENTS[2]])


class HostViews(unittest.TestCase):
    def test_window_titles_of_xwininfo_output(self):
        text = (
            "xwininfo: Window id: 0x2a7 (the root window) (has no name)\n"
            "  Root window id: 0x2a7 (the root window) (has no name)\n"
            "     3 children:\n"
            '     0x400008 "e2e - Wine desktop": ("explorer.exe" "explorer.exe")  800x600+0+0\n'
            "        2 children:\n"
            '        0xa00001 "Mixer": ("Mixer.exe" "Mixer.exe")  320x200+40+40  +40+40\n'
            '        0xa00003 (has no name): ("win.exe" "win.exe")  1x1+0+0  +0+0\n'
            '     0x200001 "CD Player": ()  10x10+0+0  +0+0\n')
        self.assertEqual(run_logs.parse_xwininfo_titles(text),
                         ["e2e - Wine desktop", "Mixer", "CD Player"])

    def test_processes_of_one_prefix_only(self):
        prefix = "/work/e2e/runs/x/prefix"
        procs = {
            "101": ([b"WINEPREFIX=" + prefix.encode(), b"DISPLAY=:100"],
                    b"C:\\windows\\system32\\services.exe\0\0  "),
            "102": ([b"WINEPREFIX=" + prefix.encode()], b"C:\\disc\\Setup.exe /AP\0 \0"),
            "103": ([b"WINEPREFIX=" + prefix.encode()], b"/usr/lib/wine/wineserver64\0-p0\0"),
            "104": ([b"WINEPREFIX=" + prefix.encode() + b"2"], b"C:\\other.exe\0"),
            "105": ([b"HOME=/root"], b"C:\\not-wine.exe\0"),
            "107": ([b"WINEPREFIX=" + prefix.encode()],
                    b"/usr/lib/wine/wine64-preloader\0/usr/lib/wine/wine64\0C:\\a b\\s.exe\0"),
            "108": ([], b""),  # a zombie: no environment, no command line
            "self": ([b"WINEPREFIX=" + prefix.encode()], b"C:\\x.exe\0"),
        }
        with tempfile.TemporaryDirectory() as root:
            for pid, (environ, cmdline) in procs.items():
                os.makedirs(os.path.join(root, pid))
                with open(os.path.join(root, pid, "environ"), "wb") as f:
                    f.write(b"\0".join(environ) + b"\0")
                with open(os.path.join(root, pid, "cmdline"), "wb") as f:
                    f.write(cmdline)
            os.makedirs(os.path.join(root, "106"))  # ended while being listed
            found = run_logs.prefix_processes(prefix, proc_root=root)
        self.assertEqual(found, {
            101: r"C:\windows\system32\services.exe",
            102: r"C:\disc\Setup.exe /AP",
            103: "/usr/lib/wine/wineserver64 -p0",
            107: r"/usr/lib/wine/wine64-preloader /usr/lib/wine/wine64 C:\a b\s.exe"})
        self.assertEqual([pid for pid, cmd in sorted(found.items())
                          if not run_logs.is_wine_own(cmd)], [102, 107],
                         "the program and the one still being loaded are not Wine's own")
        self.assertTrue(run_logs.is_wine_own(r"c:\Windows\SysWOW64\cmd.exe"))
        # Under qemu-user a 32-bit program keeps its Unix command line.
        qemu = ("/usr/local/libexec/w2ksetup/qemu-i386-binfmt-P /usr/lib/wine/wine-preloader "
                "/usr/lib/wine/wine-preloader /usr/lib/wine/wine ")
        self.assertTrue(run_logs.is_wine_own(qemu + r"C:\windows\system32\cmd.exe"))
        self.assertFalse(run_logs.is_wine_own(qemu + r"C:\Program Files\T\TuneStack.exe"))
        self.assertFalse(run_logs.is_wine_own(r"C:\windows\Mixer.exe"))


class Waiting(unittest.TestCase):
    def test_returns_what_the_check_found(self):
        calls = []

        def check():
            calls.append(1)
            return len(calls) >= 3 and "found"

        self.assertEqual(e2e_base.poll_until(check, "the third look", timeout=30, period=0),
                         "found")
        self.assertEqual(len(calls), 3)

    def test_gives_up_at_the_deadline_naming_what_and_what_was_seen(self):
        t0 = time.monotonic()
        with self.assertRaises(e2e_base.DeadlineExpired) as ctx:
            e2e_base.poll_until(lambda: False, "a window titled 'Mixer'", timeout=0.2,
                                period=0.05, detail=lambda: ["Bystander"])
        self.assertGreaterEqual(time.monotonic() - t0, 0.2)
        self.assertIn("a window titled 'Mixer'", str(ctx.exception))
        self.assertIn("['Bystander']", str(ctx.exception))
        self.assertIsInstance(ctx.exception, e2e_base.HarnessError)


class WineFaultRetry(unittest.TestCase):
    """A test that Wine failed runs once more; a deadline the program missed does not."""

    def run_case(self, failures):
        """Runs a Wine test whose attempts raise the given errors in turn, then pass;
        returns (the result, the number of attempts)."""
        attempts = []

        class Case(harness.WineTestCase):
            build = None

            def test_it(self):
                attempts.append(1)
                if len(attempts) <= len(failures):
                    raise failures[len(attempts) - 1]

        result = unittest.TestResult()
        Case("test_it").run(result)
        return result, len(attempts)

    @staticmethod
    def deadline(hung):
        e = e2e_base.DeadlineExpired("gave up after 90 s waiting for a window")
        e.wine_fault = "its window listing did not answer" if hung else None
        return e

    def test_a_wine_fault_is_retried_once(self):
        reg_failed = e2e_base.WineFault("wine reg add HKCU\\Software\\Wine failed (1)")
        for fault in (self.deadline(True), reg_failed,
                      e2e_base.mark_wine_fault(OSError("cp: no space"), "set-up")):
            result, attempts = self.run_case([fault])
            self.assertTrue(result.wasSuccessful(), result.errors)
            self.assertEqual(attempts, 2)

        result, attempts = self.run_case([self.deadline(True), reg_failed])
        self.assertEqual(len(result.errors), 1)
        self.assertEqual(attempts, 2)

    def test_a_missed_deadline_or_a_failure_is_not_retried(self):
        for failure in (self.deadline(False), e2e_base.DeadlineExpired("no mark"),
                        e2e_base.HarnessError("e2e-driver ended without exit record"),
                        AssertionError("exit code 1 != 0")):
            result, attempts = self.run_case([failure])
            self.assertFalse(result.wasSuccessful(), failure)
            self.assertEqual(attempts, 1, failure)


class MeasuringTools(unittest.TestCase):
    """The measuring tools load, and expect the exit codes the program defines."""

    def test_tools_load_and_share_the_tests_expectations(self):
        import importlib.util
        import driver_fixtures
        import exit_codes
        tools = os.path.join(e2e_base.SOURCE_DIR, "tools")
        for name in ("measure-driver-run.py", "measure-dialog-start.py"):
            found = importlib.util.spec_from_file_location(name[:-3].replace("-", "_"),
                                                           os.path.join(tools, name))
            found.loader.exec_module(importlib.util.module_from_spec(found))
        codes = exit_codes.read()
        self.assertEqual(driver_fixtures.RESTART_LATER_EXIT, codes["kRebootRequired"])


class HostSlots(unittest.TestCase):
    def test_a_slot_is_held_until_its_block_ends(self):
        with tempfile.TemporaryDirectory() as d:
            old, e2e_base.SLOTS_DIR = e2e_base.SLOTS_DIR, d
            try:
                with e2e_base.host_slot("t", 1):
                    with self.assertRaises(e2e_base.DeadlineExpired):
                        with e2e_base.host_slot("t", 1, timeout=0.3):
                            pass
                    with e2e_base.host_slot("t", 2):
                        pass
                with e2e_base.host_slot("t", 1, timeout=0.3):
                    pass
            finally:
                e2e_base.SLOTS_DIR = old


if __name__ == "__main__":
    unittest.main()
