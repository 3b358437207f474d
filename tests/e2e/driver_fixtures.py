"""What the driver-installation scenarios, the demo and the timing script share:
fake devices through devreg.exe, planted INF files, the restart-prompt script,
and a watcher that notes when log lines and files appear during a run."""

import os
import shutil
import threading
import time

import exit_codes
import run_logs
import wine_changes
from e2e_base import HarnessError

DEVICE_INSTANCE = r"ROOT\MEDIA\0001"
DEVICE_HARDWARE_ID = r"PCI\VEN_1E5B&DEV_0111&SUBSYS_00011E5B&REV_01"
# A device of another maker that must stay.
OTHER_DEVICE_INSTANCE = r"ROOT\MEDIA\0002"
OTHER_DEVICE_HARDWARE_ID = r"PCI\VEN_8086&DEV_2415&SUBSYS_00000000&REV_01"

NOTICE_TEXT = "The driver will be installed now. It need a few minutes to complete."
RESTART_CAPTION = "Restarting Windows"
# Chooses "No, I will restart my computer later." and confirms with OK; the
# snapshot logs the radio states in between. "check" waits for the click to be
# handled: a plain click can be lost on a busy machine, and OK then restarts.
RESTART_LATER_SCRIPT = "dialog %s | check 1001; snapshot; press 1\n" % RESTART_CAPTION
# What a driver installation answered with RESTART_LATER_SCRIPT ends with: the
# restart is pending. The tests and tools/measure-driver-run.py share it.
RESTART_LATER_EXIT = exit_codes.REBOOT_REQUIRED

WINDOWS_DIR = r"C:\windows"
STAGING_DIR = r"C:\Program Files\Quarnex\WIN_ME"
DOS_DIR = r"C:\Program Files\Quarnex\DOS"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Replace Quarnex Mixer"
# Where Windows notes the moves it makes when it next starts.
SESSION_MANAGER_KEY = r"HKLM\System\CurrentControlSet\Control\Session Manager"
PENDING_MOVES = "PendingFileRenameOperations"
# Ten polls of 3 s for a new mixer device (the count stays 0 under Wine), then 5 s.
MANDATED_WAIT = 35.0


# ---------------------------------------------------------------------------
# Devices


def install_devreg(s):
    """Copies devreg.exe of the build the scenario runs into C:\\e2e."""
    src = os.path.join(os.path.dirname(s.build.driver), "devreg.exe")
    if not os.path.isfile(src):
        raise HarnessError("missing build output: %s" % src)
    shutil.copyfile(src, s.host_path(r"C:\e2e\devreg.exe"))


def add_device(s, instance, *hardware_ids):
    install_devreg(s)
    s.wine(r"C:\e2e\devreg.exe", "add", instance, *hardware_ids)


def present_devices(s):
    """{instance id: [hardware ids]} of the prefix's present devices."""
    install_devreg(s)
    out = s.wine(r"C:\e2e\devreg.exe", "list").stdout
    devices = {}
    for line in out.splitlines():
        if line.strip():
            fields = line.rstrip("\r").split("\t")
            devices[fields[0]] = [f for f in fields[1:] if f]
    return devices


def add_test_devices(s):
    add_device(s, DEVICE_INSTANCE, DEVICE_HARDWARE_ID)
    add_device(s, OTHER_DEVICE_INSTANCE, OTHER_DEVICE_HARDWARE_ID)


def device_faults_after_run(s, before, removed, timeout=30):
    """wine_changes.device_faults between `before` and the devices present now. A
    device of Wine's that its driver is registering again at that moment is missing
    for a moment only, so the listing is repeated for up to `timeout` seconds
    until nothing is wrong; returns what was still wrong then."""
    deadline = time.monotonic() + timeout
    while True:
        faults = wine_changes.device_faults(before, present_devices(s), removed)
        if not faults or time.monotonic() > deadline:
            return faults
        time.sleep(1)


# ---------------------------------------------------------------------------
# Files


def inf_text(strings, provider="Quarnex"):
    """A small INF whose [Strings] section holds `strings` (values quoted)."""
    lines = ["[Version]", 'Signature="$Windows NT$"', "Class=MEDIA",
             "Provider=%s" % provider, "", "[Strings]"]
    lines += ['%s="%s"' % kv for kv in strings.items()]
    return "\r\n".join(lines) + "\r\n"


def plant(s, win_path, content, read_only=False):
    """Writes a file into the prefix (text is written as is, CRLF included)."""
    path = s.host_path(win_path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if os.path.exists(path):
        os.chmod(path, 0o644)
    data = content.encode("latin-1") if isinstance(content, str) else content
    with open(path, "wb") as f:
        f.write(data)
    if read_only:
        # Wine reports a file without write permission as FILE_ATTRIBUTE_READONLY.
        os.chmod(path, 0o444)
    return win_path


def plant_legacy_infs(s):
    """Plants INF files of earlier drivers (with PNF companions) and INF files that
    must stay; returns (paths that must go, paths that must stay)."""
    inf = WINDOWS_DIR + r"\inf"
    gone, kept = [], []

    def add(win_path, strings, marked, pnf=True, read_only=False, provider="Quarnex"):
        paths = [plant(s, win_path, inf_text(strings, provider), read_only)]
        if pnf:
            paths.append(plant(s, win_path[:-3] + "PNF", b"PNF\x01\x02 precompiled", read_only))
        (gone if marked else kept).extend(paths)

    # Scan 3 (oem*.INF): the chip marker followed by more text.
    add(inf + r"\oem11.inf", {"VDX-Legacy.DeviceDesc": "QXI4710 Legacy Audio Device"}, True)
    # Another vendor's INF right after it in the same scan.
    add(inf + r"\oem12.inf", {"VDX-Legacy.DeviceDesc": "Acme Legacy Audio",
                              "WDM_QXPCI.Wave.szPname": "Acme Wave"}, False, provider="Acme")
    # The marker in lower case, and only five of its characters: no match.
    add(inf + r"\oem13.inf", {"VDX-Legacy.DeviceDesc": "qxi4710 Legacy Audio Device"}, False)
    add(inf + r"\oem14.inf", {"WDM_QXPCI.Wave.szPname": "QXI47 Wave"}, False)
    # Scan 1 (INF\OTHER): the first key absent, the second starts with the maker.
    add(inf + r"\other\QXOLD.INF", {"WDM_QXPCI.Wave.szPname": "Quarnex Wave Device"}, True)
    # Scan 2 (QX*.INF): read-only, marked by the driver's name; no PNF companion.
    add(inf + r"\QXLEGACY.INF", {"VDX-Legacy.DeviceDesc": "QXAUDIO Legacy Device"}, True,
        pnf=False, read_only=True)
    # A read-only marked INF with a read-only PNF.
    add(inf + r"\oem15.inf", {"VDX-Legacy.DeviceDesc": "QXI4310 Legacy Audio Device"}, True,
        read_only=True)
    return gone, kept


def plant_driver_index(s):
    """Drvdata.bin and Drvidx.bin (the second read-only); returns their paths."""
    return [plant(s, WINDOWS_DIR + r"\inf\Drvdata.bin", b"driver data index"),
            plant(s, WINDOWS_DIR + r"\inf\Drvidx.bin", b"driver index", read_only=True)]


def lay_out_web_package(s, disc, web, web_setup, install_wdm_driver):
    """A web package: the disc's driver package in `web`, with the program and a
    setup.ini of WebSetup and InstallWDMDriver beside it."""
    s.build.copy_tree(s.host_path(disc + r"\W2K-ME\drv"), s.host_path(web))
    with open(s.host_path(disc + r"\W2KSetup.exe"), "rb") as f:
        plant(s, web + r"\W2KSetup.exe", f.read())
    s.write_profile(web + r"\setup.ini", {
        "InstallOption": {"DriverOnly": 0, "WebSetup": web_setup,
                          "InstallWDMDriver": install_wdm_driver},
        "Default": {"UsingCDDA": 1}})


def moves_at_restart(registry):
    """The moves noted for the prefix's next start, as (source, target) pairs."""
    value = registry.value(SESSION_MANAGER_KEY, PENDING_MOVES)
    if value is None:
        return []
    # A deletion's target is empty: the texts are read in pairs, empty ones kept.
    texts = value.data.decode("utf-16-le").split("\0")
    return [(texts[i], texts[i + 1]) for i in range(0, len(texts) - 1, 2) if texts[i]]


def read_host(s, win_path):
    path = s.find_host_file(win_path)
    if path is None:
        return None
    with open(path, "rb") as f:
        return f.read()


def folder_files(s, win_dir):
    """{name: bytes} of the files (not folders) of a prefix folder; None when absent."""
    path = s.find_host_file(win_dir)
    if path is None:
        return None
    out = {}
    for name in os.listdir(path):
        p = os.path.join(path, name)
        if os.path.isfile(p):
            with open(p, "rb") as f:
                out[name] = f.read()
    return out


def is_writable(s, win_path):
    return bool(os.stat(s.find_host_file(win_path)).st_mode & 0o200)


def new_inf_names(s, before):
    """Names of the INF files of C:\\windows\\inf whose names are not in `before`."""
    path = s.find_host_file(WINDOWS_DIR + r"\inf")
    known = {x.lower() for x in before}
    return [n for n in os.listdir(path) if n.lower().endswith(".inf") and n.lower() not in known]


def new_infs(s, before):
    """{name: bytes} of the INF files of C:\\windows\\inf whose names are not in `before`.
    (Wine 8 keeps the handed-over INF's own name instead of an oemN.inf name.)"""
    files = folder_files(s, WINDOWS_DIR + r"\inf")
    return {n: files[n] for n in new_inf_names(s, before) if n in files}


# ---------------------------------------------------------------------------
# Watching a run


class RunWatcher:
    """Notes, while the scenario's next run goes on, when each line of its driver
    log and of the companion log is first seen, and when each watched condition first
    holds (a path present, a path absent, or a callable true), in seconds from the
    watcher's start, which is just before the run starts. The tests use these times
    only to order what happened.

        with RunWatcher(s, appears={"staging": r"C:\\Program Files\\Quarnex"}) as w:
            result = s.run(...)
        w.line_times[i], w.companion_times[j], w.seen["staging"]
    """

    def __init__(self, s, appears=None, vanishes=None, period=0.02):
        # The harness numbers the driver logs of a scenario's runs from 1.
        self.log_path = s.host_path(r"C:\e2e\driver-%d.log" % (s._runs + 1))
        self.companion_log = s.host_path(run_logs.COMPANION_LOG)
        self.appears = {k: v if callable(v) else s.host_path(v)
                        for k, v in (appears or {}).items()}
        self.vanishes = {k: [s.host_path(p) for p in v] for k, v in (vanishes or {}).items()}
        self.period = period
        self.line_times = {}
        self.companion_times = {}
        self.seen = {}
        self._stop = threading.Event()

    def __enter__(self):
        self.t0 = time.monotonic()
        self._thread = threading.Thread(target=self._watch, daemon=True)
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join()
        self._look()
        return False

    def _look(self):
        now = time.monotonic() - self.t0
        for i, _ in enumerate(run_logs.read_json_lines(self.log_path)):
            self.line_times.setdefault(i, now)
        for i, _ in enumerate(run_logs.read_json_lines(self.companion_log)):
            self.companion_times.setdefault(i, now)
        for k, cond in self.appears.items():
            if k not in self.seen and (self._holds(cond) if callable(cond) else
                                       os.path.exists(cond)):
                self.seen[k] = now
        for k, paths in self.vanishes.items():
            if k not in self.seen and not any(os.path.exists(p) for p in paths):
                self.seen[k] = now
    @staticmethod
    def _holds(cond):
        try:
            return cond()
        except OSError:  # a file the program is changing right now
            return False

    def _watch(self):
        while not self._stop.is_set():
            self._look()
            self._stop.wait(self.period)

    def time_of(self, result, pred):
        """When the first driver event matching pred was seen."""
        for i, e in enumerate(result.events):
            if pred(e):
                return self.line_times.get(i)
        return None

    def timings(self, result):
        """{'notice', 'prompt', 'exit'}: when the notice box, the restart prompt and the
        program's exit were logged; 'sequence' = prompt - notice (the whole installation
        between the two boxes); 'run' = exit time (the driver starts with the run)."""
        notice = self.time_of(result, lambda e: e.get("event") == "messagebox" and
                              e.get("text") == NOTICE_TEXT)
        prompt = self.time_of(result, lambda e: e.get("event") == "dialog" and
                              e.get("caption") == RESTART_CAPTION)
        end = self.time_of(result, lambda e: e.get("event") == "exit")
        out = {"notice": notice, "prompt": prompt, "exit": end, "run": end}
        if notice is not None and prompt is not None:
            out["sequence"] = prompt - notice
        return out
