#!/usr/bin/env python3
"""Times driver-only runs (/DRIVER from the sample disc) under Wine on Windows XP.

  tools/measure-driver-run.py [--files N] [--repeat R] [variant...]

Variants (default: all):
  baseline      no planted INF files
  marked-qx     N INF files QX0000.INF... (each with a PNF) marked as an earlier
                driver's: scan 2 examines and deletes them
  unmarked-qx   the same files with another maker's values: examined once, kept
  marked-oem    N files oem100.inf... marked: scan 1 (no INF in INF\\OTHER, so it
                falls back to OEM*.INF) examines and deletes them
  unmarked-oem  the same, kept: scans 1 and 3 examine each file

For each run it prints, in seconds: 'run' (driver start to the program's exit),
'sequence' (notice box to restart prompt, as seen in the driver log: the whole
installation including the 35 s of mandated waits), 'purge' (notice box to the
moment the installation folder C:\\Program Files\\Quarnex appears, which the
sequence creates right after the INF purge) and the overheads beyond 35 s.
The per-file purge time is (purge - purge of baseline) / N.
Uses the environment of tests/e2e/wine_prefix.py (BUILD_DIR, WIN_BUILD, WIN_BUILD64,
DISC_DIR).

Under Xvfb without a window manager, Wine's X11 driver waits up to 2 s for a
hidden top-level window to be withdrawn; a driver-only run hides three (the
notice box, the closed mixer, the restart prompt). --desktop runs in a Wine
virtual desktop, where those waits do not occur.
"""

import argparse
import json
import os
import statistics
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
import driver_fixtures as fx  # noqa: E402
from e2e_base import HarnessError  # noqa: E402
from run_logs import index_of  # noqa: E402
from scenario import Scenario  # noqa: E402
from wine_prefix import Build, wine_available  # noqa: E402

MARKED = {"VDX-Legacy.DeviceDesc": "QXI4710 Legacy Audio Device",
          "WDM_QXPCI.Wave.szPname": "QXAUDIO Wave"}
UNMARKED = {"VDX-Legacy.DeviceDesc": "Acme Legacy Audio Device",
            "WDM_QXPCI.Wave.szPname": "Acme Wave"}
VARIANTS = {
    "baseline": None,
    "marked-qx": ("QX%04d.INF", MARKED),
    "unmarked-qx": ("QX%04d.INF", UNMARKED),
    "marked-oem": ("oem%d.inf", MARKED),
    "unmarked-oem": ("oem%d.inf", UNMARKED),
}


def plant_many(s, pattern, strings, count):
    """count INF files with PNF companions in C:\\windows\\inf; returns their host paths."""
    text = fx.inf_text(strings).encode("latin-1")
    inf_dir = s.host_path(fx.WINDOWS_DIR + r"\inf")
    paths = []
    for i in range(count):
        name = pattern % (i if pattern.startswith("QX") else 100 + i)
        p = os.path.join(inf_dir, name)
        with open(p, "wb") as f:
            f.write(text)
        with open(p[:-3] + "PNF", "wb") as f:
            f.write(b"PNF precompiled")
        paths.append(p)
    return paths


def measure(variant, count, build, desktop=False):
    with Scenario("measure-" + variant, version="winxp", timeout=900, build=build,
                          desktop=desktop) as s:
        disc = s.copy_disc()
        fx.add_device(s, fx.DEVICE_INSTANCE, fx.DEVICE_HARDWARE_ID)
        planted = []
        if VARIANTS[variant]:
            planted = plant_many(s, VARIANTS[variant][0], VARIANTS[variant][1], count)
        s.start_window_companion(fx.WINDOWS_DIR + r"\Mixer.exe", "Mixer")
        appears = {"staging": r"C:\Program Files\Quarnex",
                   "staged": fx.STAGING_DIR + r"\W2KSetup.dat",
                   "handover": fx.WINDOWS_DIR + r"\inf\QXAUDIO.INF"}
        with fx.RunWatcher(s, appears=appears) as w:
            result = s.run(r'"%s\W2KSetup.exe" /DRIVER' % disc, script=fx.RESTART_LATER_SCRIPT,
                           timeout=600)
        if result.exit_code != fx.RESTART_LATER_EXIT or result.timed_out:
            raise HarnessError("%s: the run failed: %r" % (variant, result.events))
        left = sum(os.path.exists(p) for p in planted)
        t = w.timings(result)
        t["purge"] = w.seen["staging"] - t["notice"]
        # Milestones from the notice box on: the mixer's WM_CLOSE (companion log),
        # the installation folder, the last staged file, the INF hand-over.
        close = w.companion_times.get(index_of(s.companion_events(), "close"))
        t["milestones"] = {"close": close - t["notice"] if close is not None else None}
        for k in ("staging", "staged", "handover"):
            t["milestones"][k] = w.seen[k] - t["notice"] if k in w.seen else None
        t["milestones"]["prompt"] = t["sequence"]
        t["planted_left"] = left
        t["planted"] = len(planted)
        expect_left = len(planted) if variant.startswith("unmarked") else 0
        if left != expect_left:
            raise HarnessError("%s: %d of %d planted files left, expected %d"
                                       % (variant, left, len(planted), expect_left))
        return t


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--files", type=int, default=2000)
    ap.add_argument("--repeat", type=int, default=1)
    ap.add_argument("--desktop", action="store_true",
                    help="run in a Wine virtual desktop: without a window manager, Wine "
                    "waits up to 2 s whenever a top-level window is hidden")
    ap.add_argument("variants", nargs="*", default=list(VARIANTS))
    args = ap.parse_args(argv[1:])
    for v in args.variants:
        if v not in VARIANTS:
            ap.error("unknown variant %s" % v)
    if not wine_available():
        sys.stderr.write("Wine is not installed\n")
        return 1
    build = Build()
    results = {}
    for v in args.variants:
        for _ in range(args.repeat):
            t = measure(v, args.files, build, args.desktop)
            results.setdefault(v, []).append(t)
            print("%-13s run %6.2f  sequence %6.2f  purge %6.3f  (over 35 s: run %5.2f, "
                  "sequence %5.2f)  planted %d, left %d" %
                  (v, t["run"], t["sequence"], t["purge"], t["run"] - fx.MANDATED_WAIT,
                   t["sequence"] - fx.MANDATED_WAIT, t["planted"], t["planted_left"]))
            print("%-13s from the notice: %s" % ("", ", ".join(
                "%s %.2f" % (k, v) for k, v in t["milestones"].items() if v is not None)))
            sys.stdout.flush()
    med = {v: {k: statistics.median(r[k] for r in rs) for k in ("run", "sequence", "purge")}
           for v, rs in results.items()}
    if "baseline" in med:
        base = med["baseline"]["purge"]
        for v in med:
            if v != "baseline":
                per = (med[v]["purge"] - base) / args.files
                print("%-13s purge beyond baseline %.3f s for %d files: %.2f ms per file" %
                      (v, med[v]["purge"] - base, args.files, per * 1000))
    print(json.dumps({"files": args.files, "median": med, "runs": results}, indent=1))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
