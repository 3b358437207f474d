"""Process and window logs: what e2e-driver.exe logs about the windows it saw
and answered, what the companions log about how they were started, closed and
ended, and host-side views of a running prefix: its processes (from /proc) and
its windows (from its X server). Reading these never calls into Wine, so it
cannot hang with a hung prefix."""

import json
import os
import subprocess

from e2e_base import DeadlineExpired, HarnessError

# Where the companions log inside the prefix (drive C).
COMPANION_LOG = r"C:\e2e\companion-log.txt"


def read_json_lines(path):
    """JSON objects of a log; a torn last line (still being written) is left out."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return []
    events = []
    lines = data.split(b"\n")
    for i, raw in enumerate(lines):
        raw = raw.strip(b"\r")
        if not raw.strip():
            continue
        try:
            # Bytes >= 0x80 are the program's ANSI text; keep them one-to-one.
            events.append(json.loads(raw.decode("latin-1")))
        except ValueError:
            if i != len(lines) - 1:
                raise HarnessError("bad log line in %s: %r" % (path, raw))
    return events


class DriverResult:
    """What e2e-driver.exe reported about one run."""

    def __init__(self, events, host_returncode):
        self.events = events
        self.host_returncode = host_returncode

    def of(self, kind):
        return [e for e in self.events if e.get("event") == kind]

    @property
    def exit_code(self):
        ends = self.of("exit")
        return ends[-1]["code"] if ends else None

    @property
    def timed_out(self):
        return bool(self.of("timeout"))

    @property
    def message_boxes(self):
        return self.of("messagebox")

    @property
    def dialogs(self):
        return self.of("dialog")

    @property
    def screenshots(self):
        return [e["file"] for e in self.of("screenshot")]




# ---------------------------------------------------------------------------
# Companion log: one line per start, WM_CLOSE received and exit, in the order
# they happened (the companions append under a shared lock).


def starts(events):
    return [e for e in events if e.get("event") == "start"]


def closes(events):
    return [e for e in events if e.get("event") == "close"]


def exits(events):
    return [e for e in events if e.get("event") == "exit"]


def index_of(events, event, **fields):
    """Position of the first entry of this kind whose fields have these values, or None."""
    for i, e in enumerate(events):
        if e.get("event") == event and all(e.get(k) == v for k, v in fields.items()):
            return i
    return None


# ---------------------------------------------------------------------------
# Processes of a prefix


def _read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:  # ended meanwhile, or not ours to read
        return None


def prefix_processes(prefix, proc_root="/proc"):
    """{Linux pid: command line} of the processes running in `prefix`.

    Every process of a prefix, children of Windows programs included, carries
    WINEPREFIX. A Windows program shows its Windows command line, which Wine puts in
    place of its arguments once it runs; the wineserver, and a program that Wine is
    still loading, show their Unix one.
    """
    wanted = b"WINEPREFIX=" + os.fsencode(prefix)
    found = {}
    for name in os.listdir(proc_root):
        if not name.isdigit():
            continue
        # Ended processes (zombies included) have no environment left to read.
        environ = _read(os.path.join(proc_root, name, "environ"))
        if not environ or wanted not in environ.split(b"\0"):
            continue
        cmdline = _read(os.path.join(proc_root, name, "cmdline"))
        if cmdline:
            found[int(name)] = cmdline.replace(b"\0", b" ").decode("latin-1").strip()
    return found


def is_wine_own(cmdline):
    """True for Wine's own processes: the wineserver and the programs of the system
    folder (services, explorer, the keeper's cmd...). A Unix command line other than
    the wineserver's is a program still being loaded, which is not Wine's own."""
    low = cmdline.lower()
    if low.startswith("/"):
        if os.path.basename(low.split(" ", 1)[0]).startswith("wineserver"):
            return True
        low = _windows_part(low)
    return low.startswith(("c:\\windows\\system32\\", "c:\\windows\\syswow64\\"))


def _windows_part(unix_cmdline):
    """The Windows command line at the end of a loader's Unix one: after the emulator
    (qemu-user shows a 32-bit program's Unix command line for good, see
    docs/WINE-32BIT.md) and the Wine loader paths."""
    words = unix_cmdline.split(" ")
    while words and words[0].startswith("/"):
        words.pop(0)
    return " ".join(words)


# ---------------------------------------------------------------------------
# Windows on a scenario's X display


def x_window_titles(display, timeout=30):
    """Titles of the windows on an X display. Wine gives every top-level window (in a
    virtual desktop too) an X window named by its title."""
    env = dict(os.environ, DISPLAY=display)
    try:
        out = subprocess.run(["xwininfo", "-root", "-tree"], env=env, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                             universal_newlines=True, errors="replace", timeout=timeout).stdout
    except FileNotFoundError:
        raise HarnessError("xwininfo is missing (package x11-utils; `make deps` installs it)")
    except subprocess.TimeoutExpired:
        raise DeadlineExpired("xwininfo on %s did not answer within %d s" % (display, timeout))
    return parse_xwininfo_titles(out)


def parse_xwininfo_titles(text):
    """Window titles of `xwininfo -tree` output: lines like
    `0xa00001 "Mixer": ("win.exe" "win.exe")  320x200+40+40  +40+40`."""
    titles = []
    for line in text.splitlines():
        wid, _, rest = line.strip().partition(" ")
        if not wid.startswith("0x") or not rest.startswith('"'):
            continue  # "(has no name)", or not a window line
        end = rest.rfind('": (')
        if end < 0:
            end = rest.rfind('":')
        if end > 0:
            titles.append(rest[1:end])
    return titles
