"""Demo: runs W2KSetup.exe under Wine in fresh prefixes and prints what each run did.

Each entry of RUNS is one run: how the prefix is prepared, which programs run
before it, the command line, and the answers to dialogs. The account of a run
lists the processes started and the windows closed, in the order the companion
log shows them, the message boxes and dialogs shown (from the driver log), the
registry values and files changed, and the screenshots, converted to PNG under
build/demo/<run>/.
"""

import hashlib
import os
import shutil
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
import driver_fixtures as fx  # noqa: E402
import reg_files  # noqa: E402
import run_logs  # noqa: E402
import wine_changes  # noqa: E402
from e2e_base import HarnessError  # noqa: E402
from scenario import Scenario  # noqa: E402
from wine_prefix import Build, wine_available  # noqa: E402

SHOW_STATES = {0: "SW_HIDE", 1: "SW_SHOWNORMAL", 2: "SW_SHOWMINIMIZED", 3: "SW_SHOWMAXIMIZED",
               4: "SW_SHOWNOACTIVATE", 5: "SW_SHOW", 7: "SW_SHOWMINNOACTIVE", 10: "SW_SHOWDEFAULT"}

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tonivo Applications"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"

# Registry keys (wine_changes) and files that Wine changes on its own in every
# run are left out of the report; DEMO_RAW=1 shows them too.
NOISE_FILES = ()

# Under a Chinese, Japanese or Korean locale the title bars, menus and message
# boxes ask for "MS Shell Dlg", which Wine substitutes by the locale's system
# font (PMingLiU, MS UI Gothic, Gulim). None of them is installed here, and the
# font Wine falls back to has no such characters: the title bars show boxes.
# Each name stands for the CJK font installed with the demo's packages.
CJK_FONT = "WenQuanYi Micro Hei"
CJK_SYSTEM_FONTS = ("PMingLiU", "MS UI Gothic", "Gulim", "SimSun")


class DemoRun:
    """One demo run.

    prepare(s, disc): files and registry values before the 'before' snapshot.
    start(s, disc):   programs to have running when the program starts.
    after:            name of an earlier run whose prefix this run continues in
                      (the disc is then already there); s.continued_from tells
                      prepare whether it does.
    program, cwd:     C: path of the program to run (default the disc's) and the
                      current directory to run it in.
    report(s, disc):  extra lines for the account, taken after the run.
    scaffolding:      drive C paths the demo itself changes after the 'before'
                      snapshot, left out of the file changes.
    locale:           the Unix locale Wine takes the user's language from.
    """

    def __init__(self, name, title, version, args, prepare=None, start=None, script=None,
                 after=None, program=None, cwd=None, report=None, scaffolding=(), locale=None):
        self.name = name
        self.title = title
        self.version = version
        self.args = args
        self.prepare = prepare
        self.start = start
        self.script = script
        self.after = after
        self.program = program
        self.cwd = cwd
        self.report = report
        self.scaffolding = scaffolding
        self.locale = locale


def _prepare_previous_suite(s, disc):
    s.place_companion(r"C:\Program Files\Tonivo\unins.exe", RunMs=3000)
    s.reg_add(UNINSTALL_KEY, "UninstallString", r"C:\Program Files\Tonivo\unins.exe")
    s.reg_add(RUN_KEY, "Tonivo Applications", r"C:\Program Files\Tonivo\TuneStack.exe")
    s.place_companion(r"C:\Program Files\Tonivo\TuneStack.exe", Window="TuneStack")


def _start_tunestack(s, disc):
    s.start_window_companion(r"C:\Program Files\Tonivo\TuneStack.exe", "TuneStack")


def _remove_suite_setup(s, disc):
    os.remove(s.host_path(disc + r"\W2K-ME\app\Setup.exe"))


# The driver-only run: the controller (and a device of another maker) registered,
# INF files of earlier drivers and of another maker planted with the driver index
# and the mixer's defaults file, the old mixer running. Its prefix is where the
# logon run continues.
def _prepare_driver_only(s, disc):
    fx.add_test_devices(s)
    s.legacy_infs = fx.plant_legacy_infs(s)
    fx.plant_driver_index(s)
    fx.plant(s, r"C:\windows\mixerdef.ini", "[RUNTIME]\r\nInitialize=1\r\n")
    s.place_companion(r"C:\windows\Mixer.exe", Window="Mixer")


def _present_devices(s):
    return ["%s  %s" % (inst, ", ".join(ids) or "(no hardware ID)")
            for inst, ids in sorted(fx.present_devices(s).items())]


def _start_driver_only(s, disc):
    s.start_window_companion(r"C:\windows\Mixer.exe", "Mixer")
    s.devices_before = _present_devices(s)


def _report_driver_only(s, disc):
    after = _present_devices(s)
    lines = ["Present devices (devreg list) before the run:"]
    lines += ["  " + d for d in s.devices_before]
    lines.append("Present devices after the run:")
    lines += ["  " + d for d in after]
    lines.append("  removed: %s" % ("; ".join(d for d in s.devices_before if d not in after) or
                                   "nothing"))
    gone, kept = s.legacy_infs
    lines.append("Planted INF files (and PNF companions):")
    for p in gone + kept:
        state = "deleted" if s.find_host_file(p) is None else "kept"
        lines.append("  %-7s %s%s" % (state, p, "" if (state == "deleted") == (p in gone) else
                                      "  <-- NOT AS EXPECTED"))
    return lines


# The logon run: the driver installation armed the Run value and left W2KSetup.exe
# and Mixer.dat in the Windows directory; Windows starts the copy at the next logon
# while the old mixer is up.
OLD_MIXER = r"C:\windows\Mixer.exe"
OLD_MIXER_MARKER = b"\r\nold mixer build 1.02\r\n"


def _file_id(path):
    if not os.path.isfile(path):
        return "(absent)"
    with open(path, "rb") as f:
        data = f.read()
    return "%d bytes, sha1 %s" % (len(data), hashlib.sha1(data).hexdigest()[:12])


def _prepare_logon(s, disc):
    if not s.continued_from:
        # Without the driver-only run: what its staging leaves for the next logon.
        windir = s.host_path("C:\\windows")
        shutil.copyfile(s.host_path(disc + r"\W2K-ME\drv\W2KSetup.dat"),
                        os.path.join(windir, "W2KSetup.exe"))
        shutil.copyfile(s.host_path(disc + r"\W2K-ME\drv\Mixer.dat"),
                        os.path.join(windir, "Mixer.dat"))
        s.reg_add(RUN_KEY, "Replace Quarnex Mixer", r"C:\windows\W2KSetup.exe -ReplaceMixer")
    # The old mixer: a companion with a marker appended, so the swap shows in its bytes.
    s.place_companion(OLD_MIXER, Window="Mixer")
    with open(s.host_path(OLD_MIXER), "ab") as f:
        f.write(OLD_MIXER_MARKER)
    s.old_mixer_id = _file_id(s.host_path(OLD_MIXER))


def _start_old_mixer(s, disc):
    s.start_companion(OLD_MIXER, window="Mixer")
    # The new mixer reads the same sidecar: without it, it logs its start and ends.
    os.remove(s.host_path(r"C:\windows\Mixer.cfg"))


def _report_logon(s, disc):
    dat = _file_id(s.host_path(r"C:\windows\Mixer.dat"))
    now = _file_id(s.host_path(OLD_MIXER))
    return ["Mixer swap in C:\\windows:",
            "  Mixer.exe before: %s (the old mixer)" % s.old_mixer_id,
            "  Mixer.exe after:  %s" % now,
            "  Mixer.dat after:  %s" % dat,
            "  Mixer.exe %s Mixer.dat's bytes" % ("now holds" if now == dat else
                                                  "does NOT hold")]


# The options dialog: a web package (the disc's driver package with the program and a
# setup.ini of WebSetup=1, InstallWDMDriver=1 beside it). The user shares line-in with
# the center/subwoofer jack, disables the legacy device and presses Install.
WEB = r"C:\websetup"
OPTIONS_CAPTION = "Tonivo Device Driver Setup Program for Windows 2000"
OPTIONS_CHOICES = [
    (1012, "Line-in and Center/Subwoofer share the same jack (1011 clears itself)"),
    (1000, "Disable legacy device (MIDI/GAME port)"),
]
OPTIONS_SCRIPT = ("dialog %s | %s; snapshot; press 1\n" %
                  (OPTIONS_CAPTION, "; ".join("click %d" % i for i, _ in OPTIONS_CHOICES)) +
                  fx.RESTART_LATER_SCRIPT)
SETTINGS_LINES = (b'HKR,"Settings","EnableLegacy"', b'HKR,"Settings","JackConfig"')


def _prepare_options(s, disc):
    fx.lay_out_web_package(s, disc, WEB, web_setup=1, install_wdm_driver=1)
    s.infs_before = list(fx.folder_files(s, fx.WINDOWS_DIR + r"\inf"))
    s.place_companion(r"C:\windows\Mixer.exe", Window="Mixer")


def _start_mixer(s, disc):
    s.start_window_companion(r"C:\windows\Mixer.exe", "Mixer")


def _settings_lines(data):
    return [line.decode("latin-1") for line in data.split(b"\r\n")
            if line.startswith(SETTINGS_LINES)]


def _report_options(s, disc):
    lines = ["Choices made in the options dialog (clicks, in order):"]
    lines += ["  %d  %s" % choice for choice in OPTIONS_CHOICES]
    # Which screenshot shows what: each follows the window it was taken of.
    events = run_logs.read_json_lines(s.host_path(r"C:\e2e\driver-%d.log" % s._runs))
    shown, seen = None, 0
    for e in events:
        if e.get("event") == "screenshot":
            seen += 1
            if shown and shown.get("caption") == OPTIONS_CAPTION:
                state = "as it opened" if seen == 1 else "with the choices made, before Install"
                lines.append("  screenshot shot-%02d.png: the dialog %s" % (seen, state))
        else:
            shown = e
    with open(s.host_path(WEB + r"\QXAUDIO.INF"), "rb") as f:
        before = _settings_lines(f.read())
    installed = fx.new_infs(s, s.infs_before)
    lines.append("QXAUDIO.INF settings lines in the package (as shipped):")
    lines += ["  " + line for line in before]
    for name, data in sorted(installed.items()):
        lines.append("The same lines in C:\\windows\\inf\\%s (the staged copy, handed over):"
                     % name)
        lines += ["  " + line for line in _settings_lines(data)]
    if not installed:
        lines.append("  NO INF was handed over")
    return lines


# The ordinary run: the main dialog. In each language it is shown and cancelled;
# with both boxes checked the suite's setup takes over with the hand-over file;
# with only the driver box checked the whole installation runs behind it.
MAIN_DIALOG = "Tonivo Device Driver And Applications Setup Program"
ANSI_CODE_PAGES = {"zh_TW": "cp950", "ja_JP": "cp932", "ko_KR": "cp949"}
MAIN_DIALOG_LANGUAGES = [("en", "English", "en_US.UTF-8"),
                         ("zh-tw", "Traditional Chinese", "zh_TW.UTF-8"),
                         ("fr", "French", "fr_FR.UTF-8"),
                         ("ja", "Japanese", "ja_JP.UTF-8"),
                         ("ko", "Korean", "ko_KR.UTF-8")]


def _report_hand_over(s, disc):
    data = fx.read_host(s, r"C:\windows\QXISETUP.INI")
    if data is None:
        return ["Hand-over file C:\\windows\\QXISETUP.INI: (not written)"]
    return ["Hand-over file C:\\windows\\QXISETUP.INI:"] + [
        "  " + line for line in data.decode("latin-1").splitlines()]


def _prepare_main_driver(s, disc):
    _prepare_driver_only(s, disc)
    _prepare_previous_suite(s, disc)


def _start_main_driver(s, disc):
    _start_driver_only(s, disc)
    _start_tunestack(s, disc)


QUIET_LOG = r"C:\quiet-setup.log"


def _report_quiet_log(s, disc):
    data = fx.read_host(s, QUIET_LOG)
    if data is None:
        return ["Log %s: (not written)" % QUIET_LOG]
    return ["Log %s:" % QUIET_LOG] + ["  " + line for line in data.decode("latin-1").splitlines()]


RUNS = [
    DemoRun("win98-forward", "Windows 98: hand-over to the disc's Setup.exe with /AP",
            "win98", "/AP"),
    DemoRun("xp-suite", "Windows XP, /AP: TuneStack running, previous suite registered",
            "winxp", "/AP", prepare=_prepare_previous_suite, start=_start_tunestack),
    DemoRun("xp-suite-missing", "Windows XP, /AP: the disc lacks the suite's setup program",
            "winxp", "/AP", prepare=_remove_suite_setup),
    DemoRun("xp-driver-only", "Windows XP, /DRIVER: controller %s registered, Mixer running, "
            "legacy INF files planted; the restart prompt answered \"later\"" %
            fx.DEVICE_HARDWARE_ID,
            "winxp", "/DRIVER", prepare=_prepare_driver_only, start=_start_driver_only,
            script=fx.RESTART_LATER_SCRIPT, report=_report_driver_only),
    DemoRun("xp-quiet-driver", "Windows XP, /DRIVER /QUIET /LOG=%s: the same installation "
            "with no window at all, the restart left to the caller (3010)" % QUIET_LOG,
            "winxp", "/DRIVER /QUIET /LOG=" + QUIET_LOG, prepare=_prepare_driver_only,
            start=_start_driver_only,
            report=lambda s, disc: _report_driver_only(s, disc) + _report_quiet_log(s, disc)),
    DemoRun("xp-logon", "Windows XP, next logon: -ReplaceMixer with the old mixer up",
            "winxp", "-ReplaceMixer", after="xp-driver-only", program=r"C:\windows\W2KSetup.exe",
            cwd="C:\\windows", prepare=_prepare_logon, start=_start_old_mixer,
            report=_report_logon, scaffolding=("windows/Mixer.cfg",)),
    DemoRun("xp-options", "Windows XP, web package with WebSetup=1 and InstallWDMDriver=1: the "
            "options dialog, line-in shared with center/subwoofer, legacy device disabled; "
            "Mixer running; the restart prompt answered \"later\"",
            "winxp", "", prepare=_prepare_options, start=_start_mixer, script=OPTIONS_SCRIPT,
            program='"%s\\W2KSetup.exe"' % WEB, report=_report_options),
] + [
    DemoRun("xp-main-dialog-" + tag, "Windows XP, ordinary run in %s: the main dialog, "
            "cancelled" % language, "winxp", "", script="dialog  | press 2\n", locale=locale)
    for tag, language, locale in MAIN_DIALOG_LANGUAGES
] + [
    DemoRun("xp-main-both", "Windows XP, ordinary run: OK with both boxes checked; TuneStack "
            "running, previous suite registered",
            "winxp", "", prepare=_prepare_previous_suite, start=_start_tunestack,
            script="dialog %s | press 1\n" % MAIN_DIALOG, report=_report_hand_over),
    DemoRun("xp-main-driver", "Windows XP, ordinary run: OK with only \"Install Device "
            "Driver\" checked; controller registered, Mixer and TuneStack running, previous "
            "suite registered; the restart prompt answered \"later\"",
            "winxp", "", prepare=_prepare_main_driver, start=_start_main_driver,
            script="dialog %s | uncheck 1001; press 1\n" % MAIN_DIALOG + fx.RESTART_LATER_SCRIPT,
            report=lambda s, disc: _report_driver_only(s, disc) + _report_hand_over(s, disc)),
]


def _noise_key(key):
    if os.environ.get("DEMO_RAW") == "1":
        return False
    return wine_changes.is_wine_own_key(key)


def _noise_file(rel):
    if os.environ.get("DEMO_RAW") == "1":
        return False
    rel = rel.replace(os.sep, "/").lower()
    return any(rel.startswith(p) for p in NOISE_FILES)


def _fmt_value(v):
    if v is None:
        return "(key)"
    return "%r (type %d)" % (v.value, v.type)


def _take_over_prefix(s, saved):
    """Puts a prefix kept from an earlier run in place of the scenario's fresh one."""
    s.kill_wine()
    shutil.rmtree(s.prefix)
    os.rename(saved, s.prefix)
    # The earlier run's logs and screenshots stay with its account.
    shutil.rmtree(s.host_path(r"C:\e2e"))
    os.makedirs(s.host_path(r"C:\e2e"))
    shutil.copyfile(s.build.driver, s.host_path(r"C:\e2e\e2e-driver.exe"))
    s.set_windows_version(s.version)


def run_demo(run, out_root, prefixes, keep_prefix=False):
    """Runs one demo run and returns its account. prefixes: {run name: kept prefix};
    with keep_prefix the run's prefix is added to it for a later run."""
    out_dir = os.path.join(out_root, run.name)
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    lines = []
    say = lines.append
    with Scenario("demo-" + run.name, version=run.version, desktop=True,
                          shots=True) as s:
        s.continued_from = run.after if run.after in prefixes else None
        if s.continued_from:
            _take_over_prefix(s, prefixes.pop(run.after))
            disc = r"C:\disc"
        else:
            disc = s.copy_disc()
        if run.locale:
            s.env.update(LANG=run.locale, LC_ALL=run.locale)
            # The first program under a new locale makes Wine rewrite the prefix's
            # locale settings (code pages, fonts, international settings): done here,
            # before the 'before' snapshot.
            s.wine("cmd", "/c", "exit")
            for name in CJK_SYSTEM_FONTS:
                s.reg_add(r"HKCU\Software\Wine\Fonts\Replacements", name, CJK_FONT)
        if run.prepare:
            run.prepare(s, disc)
        before = s.snapshot()
        if run.start:
            run.start(s, disc)
        pre_existing = len(s.companion_events())
        s.screenshot(os.path.join(out_dir, "before.png"))
        program = run.program or '"%s\\W2KSetup.exe"' % disc
        cmdline = program + (" " + run.args if run.args else "")
        t0 = time.monotonic()
        result = s.run(cmdline, script=run.script, cwd=run.cwd)
        wall = time.monotonic() - t0
        events = s.settled_companion_events()
        extra = run.report(s, disc) if run.report else []
        shots = []
        for i, win_file in enumerate(result.screenshots, 1):
            png = os.path.join(out_dir, "shot-%02d.png" % i)
            subprocess.run(["convert", s.host_path(win_file), png], check=True, timeout=120)
            shots.append(png)
        after = s.snapshot()
        if keep_prefix:
            kept = os.path.join(s.build.work_dir, "demo-prefixes", run.name)
            shutil.rmtree(kept, ignore_errors=True)
            os.makedirs(os.path.dirname(kept), exist_ok=True)
            os.rename(s.prefix, kept)
            prefixes[run.name] = kept

    say("=" * 78)
    say("Run %s: %s" % (run.name, run.title))
    if run.after:
        say("  continues in the prefix left by run %s%s" %
            (run.after, "" if s.continued_from else
             " (not run: a fresh prefix with what that run leaves laid out by the demo)"))
    say("  Windows version %s, command line: %s%s" % (run.version, cmdline,
                                                    " (in %s)" % run.cwd if run.cwd else ""))
    say("  exit code %s%s, %.1f s" % (result.exit_code, " (TIMEOUT)" if result.timed_out else "",
                                      wall))
    say("Running before the program:")
    for e in events[:pre_existing]:
        if e.get("event") == "start":
            say("  %s" % e["exe"])
    if not any(e.get("event") == "start" for e in events[:pre_existing]):
        say("  (nothing)")
    say("Processes started by the program:")
    started = [e for e in events[pre_existing:] if e.get("event") == "start"]
    for e in started:
        say("  %s" % e["exe"])
        say("      command line: %s" % e["cmdline"])
        say("      working dir:  %s" % e["cwd"])
        say("      show state:   %s%s" % (SHOW_STATES.get(e["showWindow"], e["showWindow"]),
                                         "" if e["startFlags"] & 1 else
                                         " (STARTF_USESHOWWINDOW not set)"))
    if not started:
        say("  (none)")
    say("Windows closed (WM_CLOSE received):")
    closed = [e for e in events if e.get("event") == "close"]
    for e in closed:
        say("  %r" % e["title"])
    if not closed:
        say("  (none)")
    say("Order of starts, closes and ends during the run (companion log):")
    for e in events[pre_existing:]:
        if e.get("event") == "start":
            say("  start  %s (process %s)" % (e["exe"], e["pid"]))
        elif e.get("event") == "close":
            say("  close  %r (process %s)" % (e["title"], e["pid"]))
        elif e.get("event") == "exit":
            say("  end    %s (process %s, exit code %s)" % (e["exe"], e["pid"], e["code"]))
    if len(events) == pre_existing:
        say("  (nothing)")
    say("Message boxes and dialogs:")
    # Texts arrive in the ANSI code page of the run's language.
    codepage = ANSI_CODE_PAGES.get((run.locale or "").split(".")[0], "cp1252")

    def text(t):
        return t.encode("latin-1").decode(codepage, "replace")

    for e in result.events:
        if e["event"] == "messagebox":
            say("  message box %r: %r (owner %r%s)" % (text(e["caption"]), text(e["text"]),
                                                      text(e["owner"]),
                                                      ", visible" if e["ownerVisible"] else ""))
        elif e["event"] == "dialog":
            say("  dialog %r with %d controls" % (text(e["caption"]), len(e["controls"])))
            for c in e["controls"]:
                if c["text"]:
                    say("      %5d %-6s %r%s" % (c["id"], c["class"], text(c["text"]),
                                               "" if c["visible"] else " (hidden)"))
    if not (result.message_boxes or result.dialogs):
        say("  (none)")

    d = reg_files.diff_snapshots(before, after)
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
    scaffolding = [p.lower() for p in run.scaffolding]
    for tag, kind in (("+", "files_added"), ("-", "files_removed"), ("*", "files_changed")):
        for rel in d[kind]:
            if not _noise_file(rel) and rel.replace(os.sep, "/").lower() not in scaffolding:
                say("  %s C:\\%s" % (tag, rel.replace("/", "\\")))
                n += 1
    if not n:
        say("  (none)")
    for rel in run.scaffolding:
        say("  (C:\\%s: changed by the demo itself, not shown)" % rel.replace("/", "\\"))
    for line in extra:
        say(line)
    say("Screenshots:")
    say("  %s (before the run)" % os.path.join(out_dir, "before.png"))
    for png in shots:
        say("  %s" % png)
    if not shots:
        say("  (no message box or dialog, so the driver took none)")
    # Registry names may hold characters outside the BMP as surrogate pairs.
    text = ("\n".join(lines) + "\n").encode("utf-16", "surrogatepass").decode("utf-16", "replace")
    with open(os.path.join(out_dir, "account.txt"), "w") as f:
        f.write(text)
    return text


def main(argv):
    if not wine_available():
        sys.stderr.write("demo: Wine is not installed\n")
        return 1
    out_root = os.environ.get("DEMO_DIR") or os.path.join(REPO, "build", "demo")
    wanted = set(argv[1:])
    names = [r.name for r in RUNS]
    # A wanted run brings the runs it continues from.
    for run in reversed(RUNS):
        if run.name in wanted and run.after in names:
            wanted.add(run.after)
    continued = {r.after for r in RUNS if r.after and (not wanted or r.name in wanted)}
    prefixes = {}
    status = 0
    build = Build()
    sys.stdout.write("The program: %s\n" % build.describe())
    if build.stand_in:
        sys.stdout.write("*** NOT the shipped 32-bit program: 32-bit Wine cannot run here "
                         "(docs/WINE-32BIT.md) ***\n")
    try:
        for run in RUNS:
            if wanted and run.name not in wanted:
                continue
            try:
                sys.stdout.write(run_demo(run, out_root, prefixes,
                                          keep_prefix=run.name in continued))
            except (HarnessError, subprocess.CalledProcessError) as e:
                sys.stdout.write("Run %s failed: %s\n" % (run.name, e))
                status = 1
            sys.stdout.flush()
    finally:
        for kept in prefixes.values():
            shutil.rmtree(kept, ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
