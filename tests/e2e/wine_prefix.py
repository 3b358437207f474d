"""Prefix and display: finding Wine and the Windows build, the prefix template
every scenario copies, and the Xvfb server each scenario runs on.

Environment:
  BUILD_DIR     folder for the scenario runs (default <source>/build); work goes
                to $BUILD_DIR/e2e
  E2E_TEMPLATE_DIR  folder of the prefix template, shared by the checkouts of the
                machine (default /var/tmp/w2ksetup-e2e)
  WIN_BUILD     Windows build folder with W2KSetup.exe and tools/ (default
                <source>/build/win32)
  WIN_BUILD64   64-bit Windows build, used when this machine cannot run 32-bit
                programs under Wine (default: the sibling folder "win64")
  E2E_BITS      64: run the 64-bit build even where 32-bit programs run (the
                x86-64 tests of tests/e2e/e2e.cmake)
  DISC_DIR      the sample disc made by tools/make-disc.sh (default
                <source>/build/disc)
"""

import contextlib
import fcntl
import os
import shutil
import subprocess
import time

from e2e_base import SOURCE_DIR, HarnessError, file_sha1, log, poll_until

WINE32_LOADER = "/usr/lib/wine/wine"
WINE64_LOADER = "/usr/lib/wine/wine64"

# Bump when the template recipe changes, so cached templates are rebuilt.
TEMPLATE_RECIPE = "4"

# Under qemu-user (the 32-bit lane, docs/WINE-32BIT.md) Wine's own winedevice.exe
# crashes now and then while a prefix starts; the crash would start winedbg, which
# hangs, and the prefix would never end. The program under test never needs it.
DLL_OVERRIDES = "winedbg.exe=d"


def _loader_runs(path):
    if not os.access(path, os.X_OK):
        return False
    try:
        r = subprocess.run([path, "--version"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=30)
    except OSError:
        return False
    return r.returncode == 0


_wine_cache = {}


def wine_info():
    """Returns {'available', 'loader', 'can32', 'version'}; probed once."""
    if _wine_cache:
        return _wine_cache
    can32 = _loader_runs(WINE32_LOADER)
    can64 = _loader_runs(WINE64_LOADER)
    loader = WINE32_LOADER if can32 else (WINE64_LOADER if can64 else None)
    version = ""
    if loader:
        version = subprocess.run([loader, "--version"], stdout=subprocess.PIPE,
                                 universal_newlines=True, timeout=30).stdout.strip()
    _wine_cache.update(available=bool(loader) and shutil.which("wineserver") is not None,
                       loader=loader, can32=can32, version=version)
    return _wine_cache


def wine_available():
    return wine_info()["available"]


def pe_machine(path):
    """'i386', 'amd64' or None for a PE file."""
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
    except OSError:
        return None
    if head[:2] != b"MZ" or len(head) < 0x40:
        return None
    off = int.from_bytes(head[0x3C:0x40], "little")
    if off + 6 > len(head) or head[off:off + 4] != b"PE\0\0":
        return None
    machine = int.from_bytes(head[off + 4:off + 6], "little")
    return {0x14C: "i386", 0x8664: "amd64"}.get(machine)


class Build:
    """The Windows binaries the scenarios run, and the sample disc."""

    def __init__(self):
        self.win_build = os.path.abspath(os.environ.get("WIN_BUILD") or
                                         os.path.join(SOURCE_DIR, "build", "win32"))
        self.disc_dir = os.path.abspath(os.environ.get("DISC_DIR") or
                                        os.path.join(SOURCE_DIR, "build", "disc"))
        self.work_dir = os.path.join(
            os.path.abspath(os.environ.get("BUILD_DIR") or os.path.join(SOURCE_DIR, "build")),
            "e2e")
        self.program = os.path.join(self.win_build, "W2KSetup.exe")
        self.companion = os.path.join(self.win_build, "tools", "companion.exe")
        self.driver = os.path.join(self.win_build, "tools", "e2e-driver.exe")
        for p in (self.program, self.companion, self.driver,
                  os.path.join(self.disc_dir, "W2KSetup.exe")):
            if not os.path.isfile(p):
                raise HarnessError("missing build output: %s (run `make windows disc`)" % p)
        self.bits = 32 if pe_machine(self.program) == "i386" else 64
        # Files of the disc that must be swapped when the 64-bit build stands in.
        self.substitutes = {}
        # True when the 64-bit build stands in for the 32-bit one only because this
        # machine cannot run 32-bit programs: the tests then do not count as passed.
        self.stand_in = False
        if self.bits == 32 and os.environ.get("E2E_BITS") == "64":
            self._use_64bit_build("the x86-64 tests run the 64-bit build")
        elif self.bits == 32 and not wine_info()["can32"]:
            self._use_64bit_build("32-bit Wine programs cannot run here (no 32-bit lane: "
                                  "see docs/WINE-32BIT.md)")
            self.stand_in = True

    def describe(self):
        """Which program the scenarios run, for the test output."""
        return "%s (%s)" % (self.program, "32-bit, i386" if self.bits == 32 else "64-bit, x86-64")

    def _use_64bit_build(self, why):
        alt = os.environ.get("WIN_BUILD64")
        if not alt:
            alt = os.path.join(os.path.dirname(self.win_build), "win64")
        alt = os.path.abspath(alt)
        alt_program = os.path.join(alt, "W2KSetup.exe")
        alt_companion = os.path.join(alt, "tools", "companion.exe")
        alt_driver = os.path.join(alt, "tools", "e2e-driver.exe")
        for p in (alt_program, alt_companion, alt_driver):
            if not os.path.isfile(p):
                raise HarnessError(
                    "this machine cannot run 32-bit programs under Wine and the 64-bit "
                    "build is missing: %s" % p)
        if pe_machine(alt_program) != "amd64":
            raise HarnessError("%s is not a 64-bit program" % alt_program)
        log("%s; using the 64-bit build %s" % (why, alt))
        self.substitutes = {file_sha1(self.program): alt_program,
                            file_sha1(self.companion): alt_companion}
        self.program, self.companion, self.driver = alt_program, alt_companion, alt_driver
        self.bits = 64

    def copy_tree(self, src, dst):
        """Copies a folder, swapping 32-bit program copies for 64-bit ones when needed."""
        shutil.copytree(src, dst)
        if not self.substitutes:
            return
        for root, _, files in os.walk(dst):
            for name in files:
                p = os.path.join(root, name)
                if pe_machine(p) == "i386":
                    sub = self.substitutes.get(file_sha1(p))
                    if not sub:
                        raise HarnessError("%s is a 32-bit program that is neither the program "
                                           "nor the companion of %s: is the disc out of date?"
                                           % (p, self.win_build))
                    shutil.copyfile(sub, p)


# ---------------------------------------------------------------------------
# Prefix template


def wine_env(prefix, display=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES=DLL_OVERRIDES)
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    return env


def _try_lock(f):
    try:
        fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        return False
    return True


# The template is shared by every checkout of the machine (it depends only on
# the recipe and Wine), so a new checkout does not make it again.
TEMPLATE_DIR = os.environ.get("E2E_TEMPLATE_DIR") or "/var/tmp/w2ksetup-e2e"


def ensure_template(work_dir=TEMPLATE_DIR):
    """Creates the prefix template once; returns its path. Safe for parallel callers."""
    info = wine_info()
    # Checkouts with another recipe keep their own template beside this one.
    template = os.path.join(work_dir, "prefix-template.r" + TEMPLATE_RECIPE)
    stamp_text = "recipe=%s\nwine=%s\nloader=%s\n" % (TEMPLATE_RECIPE, info["version"],
                                                     info["loader"])
    stamp = template + ".stamp"
    os.makedirs(work_dir, exist_ok=True)
    with open(template + ".lock", "w") as lockf:
        # Another scenario may be making the template; its own steps have deadlines.
        poll_until(lambda: _try_lock(lockf), "the prefix template lock", timeout=900,
                   period=0.2)
        try:
            with open(stamp) as f:
                if f.read() == stamp_text and os.path.isdir(template):
                    return template
        except OSError:
            pass
        log("creating the Wine prefix template in %s" % template)
        t0 = time.monotonic()
        shutil.rmtree(template, ignore_errors=True)
        with contextlib.suppress(OSError):
            os.remove(stamp)
        tmp = template + ".tmp"
        shutil.rmtree(tmp, ignore_errors=True)
        env = wine_env(tmp)
        # The prefix holds both kinds of program; the 64-bit loader makes it natively.
        loader = WINE64_LOADER if os.access(WINE64_LOADER, os.X_OK) else info["loader"]
        # No Mono or Gecko installers while the prefix is made.
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml=;" + DLL_OVERRIDES
        try:
            subprocess.run([loader, "wineboot", "-i"], env=env, check=True,
                           stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
            def reg(*args, check=True):
                subprocess.run([loader, "reg"] + list(args), env=env, check=check,
                               stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)

            for drv in ("winealsa.drv", "winepulse.drv"):
                reg("add", r"HKCU\Software\Wine\DllOverrides", "/v", drv, "/d", "", "/f")
            for view in ("/reg:32", "/reg:64"):
                # Every Windows has the Run key; Wine makes no 32-bit view of it.
                reg("add", r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run", "/f", view)
                # No debugger for a crashing program (see DLL_OVERRIDES).
                reg("delete", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug",
                    "/v", "Debugger", "/f", view, check=False)
            subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=120)
        except (subprocess.CalledProcessError, subprocess.TimeoutExpired) as e:
            subprocess.run(["wineserver", "-k"], env=env, timeout=60)
            raise HarnessError("creating the prefix template failed: %s" % e)
        os.rename(tmp, template)
        with open(stamp, "w") as f:
            f.write(stamp_text)
        log("prefix template ready in %.1f s" % (time.monotonic() - t0))
        return template


# ---------------------------------------------------------------------------
# Xvfb


class Xvfb:
    """An Xvfb server on a display number it picks itself."""

    def __init__(self, size="1024x768x24"):
        # With -displayfd the server takes the first display number whose socket it can
        # bind and writes that number once it accepts connections: two servers started
        # at the same moment, by this harness or another one, cannot end up sharing a
        # display (the one that lost would otherwise talk to the other's server, and
        # lose its windows when that one ends).
        read_end, write_end = os.pipe()
        try:
            self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                          size, "-nolisten", "tcp"], pass_fds=(write_end,),
                                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
        finally:
            os.close(write_end)
        try:
            self.display = ":" + self._read_display(read_end)
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)

    def _read_display(self, pipe):
        os.set_blocking(pipe, False)
        got = bytearray()

        def reported():
            try:
                chunk = os.read(pipe, 16)
            except BlockingIOError:
                return False
            if not chunk:
                raise HarnessError("Xvfb ended (%s) before it took a display"
                                   % self.proc.poll())
            got.extend(chunk)
            return got.endswith(b"\n")

        poll_until(reported, "Xvfb to take a display", period=0.05)
        return got.decode("ascii").strip()

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(30)


