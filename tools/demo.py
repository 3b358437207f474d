"""Demo: runs W2KSetup.exe under Wine in fresh prefixes and prints what each run did.

Each entry of RUNS is one run: how the prefix is prepared, which programs run
before it, the command line, and the answers to dialogs. The account of a run
lists the processes started (from the companion log), the windows closed, the
message boxes and dialogs shown (from the driver log), the registry values and
files changed, and the screenshots, converted to PNG under build/demo/<run>/.
"""

import os
import shutil
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
import harness  # noqa: E402

SHOW_STATES = {0: "SW_HIDE", 1: "SW_SHOWNORMAL", 2: "SW_SHOWMINIMIZED", 3: "SW_SHOWMAXIMIZED",
               4: "SW_SHOWNOACTIVATE", 5: "SW_SHOW", 7: "SW_SHOWMINNOACTIVE", 10: "SW_SHOWDEFAULT"}

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tonivo Applications"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"

# Registry and file changes that Wine makes on its own in every run (the display
# adapter entry is rewritten whenever the display driver starts). DEMO_RAW=1
# shows them too.
NOISE_KEYS = (
    r"HKLM\System\CurrentControlSet\Control\Class\{4D36E968-E325-11CE-BFC1-08002BE10318}",
    r"HKCU\Software\Wine\Explorer",
)
NOISE_FILES = ()


class DemoRun:
    """One demo run.

    prepare(s, disc): files and registry values before the 'before' snapshot.
    start(s, disc):   programs to have running when the program starts.
    """

    def __init__(self, name, title, version, args, prepare=None, start=None, script=None):
        self.name = name
        self.title = title
        self.version = version
        self.args = args
        self.prepare = prepare
        self.start = start
        self.script = script


def _prepare_previous_suite(s, disc):
    s.place_companion(r"C:\Program Files\Tonivo\unins.exe", RunMs=3000)
    s.reg_add(UNINSTALL_KEY, "UninstallString", r"C:\Program Files\Tonivo\unins.exe")
    s.reg_add(RUN_KEY, "Tonivo Applications", r"C:\Program Files\Tonivo\TuneStack.exe")
    s.place_companion(r"C:\Program Files\Tonivo\TuneStack.exe", Window="TuneStack")


def _start_tunestack(s, disc):
    s.start_window_companion(r"C:\Program Files\Tonivo\TuneStack.exe", "TuneStack")


def _remove_suite_setup(s, disc):
    os.remove(s.host_path(disc + r"\W2K-ME\app\Setup.exe"))


RUNS = [
    DemoRun("win98-forward", "Windows 98: hand-over to the disc's Setup.exe with /AP",
            "win98", "/AP"),
    DemoRun("xp-suite", "Windows XP, /AP: TuneStack running, previous suite registered",
            "winxp", "/AP", prepare=_prepare_previous_suite, start=_start_tunestack),
    DemoRun("xp-suite-missing", "Windows XP, /AP: the disc lacks the suite's setup program",
            "winxp", "/AP", prepare=_remove_suite_setup),
]


def _noise_key(key):
    if os.environ.get("DEMO_RAW") == "1":
        return False
    return any(key.lower().startswith(k.lower()) for k in NOISE_KEYS)


def _noise_file(rel):
    if os.environ.get("DEMO_RAW") == "1":
        return False
    rel = rel.replace(os.sep, "/").lower()
    return any(rel.startswith(p) for p in NOISE_FILES)


def _fmt_value(v):
    if v is None:
        return "(key)"
    return "%r (type %d)" % (v.value, v.type)


def run_demo(run, out_root):
    out_dir = os.path.join(out_root, run.name)
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    lines = []
    say = lines.append
    with harness.Scenario("demo-" + run.name, version=run.version, desktop=True,
                          shots=True) as s:
        disc = s.copy_disc()
        if run.prepare:
            run.prepare(s, disc)
        before = s.snapshot()
        if run.start:
            run.start(s, disc)
        pre_existing = len(s.companion_events())
        s.screenshot(os.path.join(out_dir, "before.png"))
        cmdline = '"%s\\W2KSetup.exe"' % disc + (" " + run.args if run.args else "")
        t0 = time.monotonic()
        result = s.run(cmdline, script=run.script)
        events = s.companion_events_timed()
        wall = time.monotonic() - t0
        shots = []
        for i, win_file in enumerate(result.screenshots, 1):
            png = os.path.join(out_dir, "shot-%02d.png" % i)
            subprocess.run(["convert", s.host_path(win_file), png], check=True)
            shots.append(png)
        after = s.snapshot()

    say("=" * 78)
    say("Run %s: %s" % (run.name, run.title))
    say("  Windows version %s, command line: %s" % (run.version, cmdline))
    say("  exit code %s%s, %.1f s" % (result.exit_code, " (TIMEOUT)" if result.timed_out else "",
                                      wall))
    say("Running before the program:")
    for e in events[:pre_existing]:
        if e.get("event") == "start":
            say("  %s" % e["exe"])
    if not any(e.get("event") == "start" for e in events[:pre_existing]):
        say("  (nothing)")
    say("Processes started by the program, in order:")
    started = [e for e in events[pre_existing:] if e.get("event") == "start"]
    for e in started:
        say("  %s" % e["exe"])
        say("      command line: %s" % e["cmdline"])
        say("      working dir:  %s" % e["cwd"])
        say("      show state:   %s%s" % (SHOW_STATES.get(e["showWindow"], e["showWindow"]),
                                         "" if e["startFlags"] & 1 else
                                         " (STARTF_USESHOWWINDOW not set)"))
        if e.get("_seen") is not None:
            say("      seen at:      %.2f s" % e["_seen"])
    if not started:
        say("  (none)")
    say("Windows closed (WM_CLOSE received):")
    closed = [e for e in events if e.get("event") == "close"]
    for e in closed:
        say("  %r" % e["title"])
    if not closed:
        say("  (none)")
    say("Message boxes and dialogs:")
    for e in result.events:
        if e["event"] == "messagebox":
            say("  message box %r: %r (owner %r)" % (e["caption"], e["text"], e["owner"]))
        elif e["event"] == "dialog":
            say("  dialog %r with %d controls" % (e["caption"], len(e["controls"])))
    if not (result.message_boxes or result.dialogs):
        say("  (none)")

    d = harness.diff_snapshots(before, after)
    say("Registry changes:")
    n = 0
    for (key, name), v in d["registry_added"]:
        if not _noise_key(key):
            say("  + %s [%s] = %s" % (key, name if name is not None else "", _fmt_value(v)))
            n += 1
    for (key, name), v in d["registry_removed"]:
        if not _noise_key(key):
            say("  - %s [%s] (was %s)" % (key, name if name is not None else "", _fmt_value(v)))
            n += 1
    for (key, name), old, new in d["registry_changed"]:
        if not _noise_key(key):
            say("  * %s [%s]: %s -> %s" % (key, name, _fmt_value(old), _fmt_value(new)))
            n += 1
    if not n:
        say("  (none)")
    say("File changes on drive C:")
    n = 0
    for tag, kind in (("+", "files_added"), ("-", "files_removed"), ("*", "files_changed")):
        for rel in d[kind]:
            if not _noise_file(rel):
                say("  %s C:\\%s" % (tag, rel.replace("/", "\\")))
                n += 1
    if not n:
        say("  (none)")
    say("Screenshots:")
    say("  %s (before the run)" % os.path.join(out_dir, "before.png"))
    for png in shots:
        say("  %s" % png)
    if not shots:
        say("  (no message box or dialog, so the driver took none)")
    text = "\n".join(lines) + "\n"
    with open(os.path.join(out_dir, "account.txt"), "w") as f:
        f.write(text)
    return text


def main(argv):
    if not harness.wine_available():
        sys.stderr.write("demo: Wine is not installed\n")
        return 1
    out_root = os.environ.get("DEMO_DIR") or os.path.join(REPO, "build", "demo")
    wanted = argv[1:]
    status = 0
    for run in RUNS:
        if wanted and run.name not in wanted:
            continue
        try:
            sys.stdout.write(run_demo(run, out_root))
        except (harness.HarnessError, subprocess.CalledProcessError) as e:
            sys.stdout.write("Run %s failed: %s\n" % (run.name, e))
            status = 1
        sys.stdout.flush()
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
