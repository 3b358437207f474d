"""End-to-end harness: runs W2KSetup.exe and its companion programs under Wine.

Every scenario gets a copy of a prefix template, its own Xvfb display and its
own wineserver. The Windows side is driven by two tools of the Windows build:
e2e-driver.exe (starts a command line byte-exact, logs message boxes and
dialogs, presses buttons, reports the exit code) and companion.exe (stands in
for every program W2KSetup.exe starts or closes, and logs how it was started).
Both write JSON lines that are parsed here.

Environment:
  BUILD_DIR     folder for the prefix template and the scenario runs
                (default <source>/build); work goes to $BUILD_DIR/e2e
  WIN_BUILD     Windows build folder with W2KSetup.exe and tools/ (default
                <source>/build/win32)
  WIN_BUILD64   64-bit Windows build, used when this machine cannot run 32-bit
                programs under Wine (default: the sibling folder "win64")
  DISC_DIR      the sample disc made by tools/make-disc.sh (default
                <source>/build/disc)
  E2E_KEEP      keep the scenario folders after the run (1)
"""

import contextlib
import fcntl
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

WINE32_LOADER = "/usr/lib/wine/wine"
WINE64_LOADER = "/usr/lib/wine/wine64"

# Bump when the template recipe changes, so cached templates are rebuilt.
TEMPLATE_RECIPE = "3"

# Default location of the companion log inside the prefix (drive C).
COMPANION_LOG = r"C:\e2e\companion-log.txt"


class HarnessError(Exception):
    """The scenario could not be set up or run (not a finding about the program)."""


def log(msg):
    sys.stderr.write("[e2e] %s\n" % msg)
    sys.stderr.flush()


# ---------------------------------------------------------------------------
# Wine and build discovery


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
                                 universal_newlines=True).stdout.strip()
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


def _sha1(path):
    h = hashlib.sha1()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 16), b""):
            h.update(chunk)
    return h.hexdigest()


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
        if self.bits == 32 and not wine_info()["can32"]:
            self._use_64bit_build()

    def _use_64bit_build(self):
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
        log("32-bit Wine programs cannot run here; using the 64-bit build %s" % alt)
        self.substitutes = {_sha1(self.program): alt_program,
                            _sha1(self.companion): alt_companion}
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
                    sub = self.substitutes.get(_sha1(p))
                    if not sub:
                        raise HarnessError("%s is a 32-bit program that is neither the program "
                                           "nor the companion of %s: is the disc out of date?"
                                           % (p, self.win_build))
                    shutil.copyfile(sub, p)


# ---------------------------------------------------------------------------
# Prefix template


def _wine_env(prefix, display=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEARCH="win64", WINEDEBUG="-all")
    env.pop("WINEDLLOVERRIDES", None)
    if display:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    return env


def ensure_template(work_dir):
    """Creates the prefix template once; returns its path. Safe for parallel callers."""
    info = wine_info()
    template = os.path.join(work_dir, "prefix-template")
    stamp_text = "recipe=%s\nwine=%s\nloader=%s\n" % (TEMPLATE_RECIPE, info["version"],
                                                     info["loader"])
    stamp = os.path.join(work_dir, "prefix-template.stamp")
    os.makedirs(work_dir, exist_ok=True)
    with open(os.path.join(work_dir, "prefix-template.lock"), "w") as lockf:
        fcntl.flock(lockf, fcntl.LOCK_EX)
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
        env = _wine_env(tmp)
        # No Mono or Gecko installers while the prefix is made.
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        try:
            subprocess.run([info["loader"], "wineboot", "-i"], env=env, check=True,
                           stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
            for drv in ("winealsa.drv", "winepulse.drv"):
                subprocess.run([info["loader"], "reg", "add", r"HKCU\Software\Wine\DllOverrides",
                                "/v", drv, "/d", "", "/f"], env=env, check=True,
                               stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
            subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=120)
        except (subprocess.CalledProcessError, subprocess.TimeoutExpired) as e:
            subprocess.run(["wineserver", "-k"], env=env)
            raise HarnessError("creating the prefix template failed: %s" % e)
        os.rename(tmp, template)
        with open(stamp, "w") as f:
            f.write(stamp_text)
        log("prefix template ready in %.1f s" % (time.monotonic() - t0))
        return template


# ---------------------------------------------------------------------------
# Xvfb


class Xvfb:
    """An Xvfb server on the first free display number from 100 on."""

    def __init__(self, first=100, last=399, size="1024x768x24"):
        self.proc = None
        self.display = None
        for n in range(first, last + 1):
            if os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
                continue
            proc = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", size, "-nolisten", "tcp"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline:
                if proc.poll() is not None:
                    break  # lost the race for this number, or it is taken
                if os.path.exists("/tmp/.X11-unix/X%d" % n):
                    self.proc, self.display = proc, ":%d" % n
                    return
                time.sleep(0.05)
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        raise HarnessError("no free X display for Xvfb")

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


# ---------------------------------------------------------------------------
# Registry files


class RegValue:
    """One registry value: type number and raw bytes, with a decoded `value`."""

    REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7

    def __init__(self, type_, data):
        self.type = type_
        self.data = data

    @property
    def value(self):
        if self.type in (self.REG_SZ, self.REG_EXPAND_SZ):
            text = self.data.decode("utf-16-le", "replace")
            return text.split("\0", 1)[0]
        if self.type == self.REG_MULTI_SZ:
            text = self.data.decode("utf-16-le", "replace")
            return [s for s in text.split("\0") if s] if text else []
        if self.type == self.REG_DWORD and len(self.data) == 4:
            return int.from_bytes(self.data, "little")
        return self.data

    def __eq__(self, other):
        return isinstance(other, RegValue) and (self.type, self.data) == (other.type, other.data)

    def __repr__(self):
        return "RegValue(%d, %r)" % (self.type, self.value)


def _unescape_reg_string(s, pos):
    """Parses a quoted string starting after the opening quote; returns (text, end)."""
    out = []
    i = pos
    while i < len(s):
        c = s[i]
        if c == '"':
            return "".join(out), i + 1
        if c == "\\" and i + 1 < len(s):
            n = s[i + 1]
            i += 2
            if n == "x":
                m = re.match(r"[0-9a-fA-F]{1,4}", s[i:])
                if m:
                    out.append(chr(int(m.group(0), 16)))
                    i += len(m.group(0))
                else:
                    out.append("x")
                continue
            out.append({"0": "\0", "n": "\n", "r": "\r", "t": "\t", "a": "\a", "b": "\b", "e": "\x1b",
                        "f": "\f", "v": "\v"}.get(n, n))
            continue
        out.append(c)
        i += 1
    raise ValueError("unterminated string")


def _parse_key_name(s):
    """The key path of a '[...]' line, with the '\\\\' separators resolved."""
    out = []
    i = 1
    while i < len(s):
        c = s[i]
        if c == "]":
            break
        if c == "\\" and i + 1 < len(s):
            n = s[i + 1]
            if n == "\\":
                out.append("\\")
                i += 2
                continue
            if n == "x":
                m = re.match(r"[0-9a-fA-F]{1,4}", s[i + 2:])
                if m:
                    out.append(chr(int(m.group(0), 16)))
                    i += 2 + len(m.group(0))
                    continue
            out.append(n)
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def parse_reg_text(text, root):
    """Parses Wine's saved hive files and regedit exports.

    Returns {key path (with `root` in front, original case): {value name: RegValue}}.
    The default value has the name "". Key paths in the text are relative to `root`
    for Wine's own files and absolute (HKEY_...) for regedit exports.
    """
    keys = {}
    current = None
    # Join continuation lines of hex data.
    lines = []
    pending = ""
    for raw in text.splitlines():
        line = raw.rstrip("\r")
        if pending:
            line = pending + line.lstrip()
            pending = ""
        if line.endswith("\\") and re.search(r"=\s*hex(\([0-9a-fA-F]+\))?:", line):
            pending = line[:-1]
            continue
        lines.append(line)
    if pending:
        lines.append(pending)

    long_roots = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU",
                  "HKEY_USERS": "HKU", "HKEY_CLASSES_ROOT": "HKCR"}
    # Wine's own files escape key names ("\\" between keys); regedit exports do not.
    escaped_keys = text.lstrip("\ufeff").startswith("WINE REGISTRY")
    for line in lines:
        if not line or line[0] in ";#":
            continue
        if line.startswith("["):
            if escaped_keys:
                name = _parse_key_name(line)
            else:
                name = line[1:line.rindex("]")] if "]" in line else line[1:]
            first = name.split("\\", 1)[0]
            if first in long_roots:
                rest = name[len(first):]
                name = long_roots[first] + rest
            elif root:
                name = root + "\\" + name
            current = keys.setdefault(name, {})
            continue
        if current is None or line.startswith(("WINE REGISTRY", "Windows Registry", "REGEDIT")):
            continue
        if line.startswith("@="):
            vname, rest = "", line[2:]
        elif line.startswith('"'):
            vname, end = _unescape_reg_string(line, 1)
            if end >= len(line) or line[end] != "=":
                continue
            rest = line[end + 1:]
        else:
            continue
        current[vname] = _parse_reg_data(rest)
    return keys


def _parse_reg_data(rest):
    if rest.startswith('"'):
        text, _ = _unescape_reg_string(rest, 1)
        return RegValue(RegValue.REG_SZ, (text + "\0").encode("utf-16-le"))
    m = re.match(r"str\(([0-9a-fA-F]+)\):\"", rest)
    if m:
        text, _ = _unescape_reg_string(rest, m.end())
        return RegValue(int(m.group(1), 16), (text + "\0").encode("utf-16-le"))
    if rest.startswith("dword:"):
        return RegValue(RegValue.REG_DWORD, int(rest[6:14], 16).to_bytes(4, "little"))
    m = re.match(r"hex(?:\(([0-9a-fA-F]+)\))?:", rest)
    if m:
        type_ = int(m.group(1), 16) if m.group(1) else RegValue.REG_BINARY
        hexpart = re.sub(r"[^0-9a-fA-F,]", "", rest[m.end():])
        data = bytes(int(b, 16) for b in hexpart.split(",") if b)
        return RegValue(type_, data)
    return RegValue(0, rest.encode())


class Registry:
    """A read-only view of a prefix's registry; key paths are matched case-insensitively."""

    def __init__(self, keys):
        self.keys = keys
        self._index = {k.lower(): k for k in keys}

    def key(self, path):
        """Values of a key, or None when the key does not exist."""
        real = self._index.get(_norm_key(path).lower())
        return None if real is None else self.keys[real]

    def value(self, path, name):
        """A value's RegValue, or None."""
        values = self.key(path)
        if values is None:
            return None
        for vname, v in values.items():
            if vname.lower() == name.lower():
                return v
        return None

    def flat(self):
        """{(key, value name): RegValue} for diffs; every key also appears as (key, None)."""
        out = {}
        for k, values in self.keys.items():
            out[(k, None)] = None
            for vname, v in values.items():
                out[(k, vname)] = v
        return out


def _norm_key(path):
    for long, short in (("HKEY_LOCAL_MACHINE", "HKLM"), ("HKEY_CURRENT_USER", "HKCU"),
                        ("HKEY_USERS", "HKU")):
        if path.upper().startswith(long):
            path = short + path[len(long):]
    return path.strip("\\")


def load_prefix_registry(prefix):
    """Parses system.reg, user.reg and userdef.reg of a prefix whose wineserver has saved them."""
    keys = {}
    for fname, root in (("system.reg", "HKLM"), ("user.reg", "HKCU"),
                        ("userdef.reg", r"HKU\.Default")):
        path = os.path.join(prefix, fname)
        if os.path.exists(path):
            with open(path, encoding="utf-8", errors="surrogateescape") as f:
                keys.update(parse_reg_text(f.read(), root))
    return Registry(keys)


# ---------------------------------------------------------------------------
# Logs


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
# File trees and snapshots


def file_tree(root, skip=()):
    """{relative path with '/' : (size, sha1)} of the files under root; symlinks are not followed."""
    out = {}
    for dirpath, dirnames, filenames in os.walk(root):
        rel_dir = os.path.relpath(dirpath, root)
        dirnames[:] = [d for d in dirnames
                       if not os.path.islink(os.path.join(dirpath, d)) and
                       os.path.normpath(os.path.join(rel_dir, d)).lower() not in skip]
        for name in filenames:
            p = os.path.join(dirpath, name)
            if os.path.islink(p):
                continue
            rel = os.path.normpath(os.path.join(rel_dir, name))
            if rel.lower() in skip:
                continue
            st = os.stat(p)
            out[rel] = (st.st_size, _sha1(p))
    return out


class Snapshot:
    def __init__(self, registry, files):
        self.registry = registry
        self.files = files


def diff_snapshots(before, after):
    """Changes between two snapshots as a dict of lists of tuples."""
    rb, ra = before.registry.flat(), after.registry.flat()

    def order(k):  # by key, the key itself before its values
        return (k[0].lower(), k[1] is not None, (k[1] or "").lower())

    reg_added = sorted((k for k in ra if k not in rb), key=order)
    reg_removed = sorted((k for k in rb if k not in ra), key=order)
    reg_changed = sorted((k for k in ra if k in rb and ra[k] != rb[k]), key=order)
    fb, fa = before.files, after.files
    return {
        "registry_added": [(k, ra[k]) for k in reg_added],
        "registry_removed": [(k, rb[k]) for k in reg_removed],
        "registry_changed": [(k, rb[k], ra[k]) for k in reg_changed],
        "files_added": sorted(k for k in fa if k not in fb),
        "files_removed": sorted(k for k in fb if k not in fa),
        "files_changed": sorted(k for k in fa if k in fb and fa[k] != fb[k]),
    }


# ---------------------------------------------------------------------------
# Command lines


def wine_argv_for(cmdline):
    """Arguments that make Wine build exactly `cmdline` as the Windows command line.

    Wine joins its arguments with single blanks and quotes those that hold a blank,
    so a command line with doubled or trailing blanks cannot be passed this way.
    """
    args = []
    i = 0
    while i < len(cmdline):
        if cmdline[i] == '"':
            end = cmdline.find('"', i + 1)
            if end < 0:
                raise ValueError("cannot pass through Wine: %r" % cmdline)
            inner = cmdline[i + 1:end]
            if " " not in inner and "\t" not in inner and inner:
                raise ValueError("cannot pass through Wine: %r" % cmdline)
            args.append(inner)
            i = end + 1
        else:
            end = cmdline.find(" ", i)
            end = len(cmdline) if end < 0 else end
            tok = cmdline[i:end]
            if '"' in tok:
                raise ValueError("cannot pass through Wine: %r" % cmdline)
            args.append(tok)
            i = end
        if i < len(cmdline):
            if cmdline[i] != " " or i + 1 == len(cmdline) or cmdline[i + 1] == " ":
                raise ValueError("cannot pass through Wine: %r" % cmdline)
            i += 1
    return args


# ---------------------------------------------------------------------------
# Scenario


def cfg_text(**settings):
    """A companion sidecar profile, CRLF-terminated."""
    lines = ["[companion]"] + ["%s=%s" % (k, v) for k, v in settings.items()]
    return "\r\n".join(lines) + "\r\n"


class Scenario:
    """One throwaway prefix with its display; use as a context manager.

        with Scenario("path_a_win98", version="win98") as s:
            disc = s.copy_disc()
            r = s.run(disc + r"\W2KSetup.exe /AP")
    """

    def __init__(self, name, version=None, desktop=False, shots=False, timeout=240, build=None):
        self.name = name
        self.version = version
        self.desktop = desktop
        self.shots = shots
        self.timeout = timeout
        self.build = build or Build()
        self.info = wine_info()
        self.loader = self.info["loader"]
        self.dir = None
        self.prefix = None
        self.xvfb = None
        self.background = []
        self._runs = 0
        self.started = None
        self.elapsed = None

    # -- lifecycle

    def __enter__(self):
        self.started = time.monotonic()
        self._deadline = self.started + self.timeout
        try:
            self._set_up()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def _set_up(self):
        template = ensure_template(self.build.work_dir)
        runs = os.path.join(self.build.work_dir, "runs")
        os.makedirs(runs, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix=self.name + ".", dir=runs)
        self.prefix = os.path.join(self.dir, "prefix")
        subprocess.run(["cp", "-a", template, self.prefix], check=True)
        # With a virtual desktop the screen is the desktop's size, so screenshots hold
        # nothing else.
        self.xvfb = Xvfb(size="800x600x24" if self.desktop else "1024x768x24")
        self.env = _wine_env(self.prefix, self.xvfb.display)
        self.env["COMPANION_LOG"] = COMPANION_LOG
        self.keeper = None
        os.makedirs(self.host_path(r"C:\e2e"), exist_ok=True)
        shutil.copyfile(self.build.driver, self.host_path(r"C:\e2e\e2e-driver.exe"))
        if self.version:
            self.set_windows_version(self.version)
        if self.desktop:
            self.reg_add(r"HKCU\Software\Wine\Explorer", "Desktop", "e2e")
            self.reg_add(r"HKCU\Software\Wine\Explorer\Desktops", "e2e", "800x600")

    def __exit__(self, exc_type, exc, tb):
        self.kill_wine()
        for p in self.background:
            if p.poll() is None:
                p.kill()
                p.wait()
        if self.xvfb:
            self.xvfb.stop()
        self.elapsed = time.monotonic() - self.started
        log("scenario %s: %.1f s (%s)" % (self.name, self.elapsed, self.dir))
        if exc_type is None and os.environ.get("E2E_KEEP") != "1":
            shutil.rmtree(self.dir, ignore_errors=True)
        return False

    def _ensure_keeper(self):
        # Wine stops its service processes whenever the last program of the prefix ends,
        # and starting them again costs seconds per Wine command. An idle command
        # interpreter reading from a pipe keeps them running. Wait until it runs: console
        # programs started at the same moment as the first one of a fresh wineserver can
        # hang in their console set-up.
        if self.keeper is not None and self.keeper.poll() is None:
            return
        flag = self.host_path(r"C:\e2e\keeper.up")
        with contextlib.suppress(FileNotFoundError):
            os.remove(flag)
        self.keeper = subprocess.Popen([self.loader, "cmd"], env=self.env,
                                       stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        self.keeper.stdin.write(b"echo up>C:\\e2e\\keeper.up\r\n")
        self.keeper.stdin.flush()
        deadline = time.monotonic() + 60
        while not os.path.exists(flag):
            if self.keeper.poll() is not None or time.monotonic() > deadline:
                raise HarnessError("the Wine keeper process did not start")
            time.sleep(0.05)

    def kill_wine(self):
        """Ends every process of the prefix; the wineserver saves the registry on the way out."""
        keeper = getattr(self, "keeper", None)
        if keeper is not None:
            with contextlib.suppress(OSError):
                keeper.stdin.close()
        if self.prefix and os.path.isdir(self.prefix):
            subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)
        if keeper is not None:
            keeper.wait()
            self.keeper = None

    def remaining(self):
        left = self._deadline - time.monotonic()
        if left <= 0:
            raise HarnessError("scenario %s ran out of its %d s" % (self.name, self.timeout))
        return left

    # -- paths

    def host_path(self, win_path):
        """Host path of a C: path of the prefix (other drives are not used)."""
        if not re.match(r"^[cC]:", win_path):
            raise ValueError("not a C: path: %s" % win_path)
        rel = win_path[2:].replace("\\", "/").lstrip("/")
        return os.path.join(self.prefix, "drive_c", rel)

    def find_host_file(self, win_path):
        """Host path of a C: path matched case-insensitively, or None when absent."""
        parts = [p for p in win_path[2:].split("\\") if p]
        cur = os.path.join(self.prefix, "drive_c")
        for part in parts:
            try:
                names = os.listdir(cur)
            except OSError:
                return None
            match = [n for n in names if n.lower() == part.lower()]
            if not match:
                return None
            cur = os.path.join(cur, match[0])
        return cur

    # -- Wine commands

    def wine(self, *args, check=True, timeout=120, cwd=None):
        self._ensure_keeper()
        r = subprocess.run([self.loader] + list(args), env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, universal_newlines=True,
                           timeout=min(timeout, self.remaining()), cwd=cwd,
                           errors="replace")
        if check and r.returncode != 0:
            raise HarnessError("wine %s failed (%d): %s" % (" ".join(args), r.returncode,
                                                            r.stderr.strip()))
        return r

    def _reg_view(self):
        return ["/reg:32"] if self.build.bits == 32 else ["/reg:64"]

    def reg_add(self, key, name, data, type_="REG_SZ"):
        """Adds a value (as the program sees the registry: 32-bit view for a 32-bit program)."""
        args = ["reg", "add", key, "/v", name, "/t", type_, "/d", str(data), "/f"]
        if key.upper().startswith(("HKLM", "HKEY_LOCAL_MACHINE")):
            args += self._reg_view()
        self.wine(*args)

    def reg_delete(self, key, name=None):
        args = ["reg", "delete", key] + (["/v", name] if name is not None else []) + ["/f"]
        if key.upper().startswith(("HKLM", "HKEY_LOCAL_MACHINE")):
            args += self._reg_view()
        self.wine(*args, check=False)

    def set_windows_version(self, version):
        """The version GetVersionExA reports to every program of the prefix."""
        self.reg_add(r"HKCU\Software\Wine", "Version", version)

    def registry(self):
        """The registry as saved files; ends every running process of the prefix first."""
        self.kill_wine()
        return load_prefix_registry(self.prefix)

    def program_key(self, key):
        """The key path where a value the program writes under HKLM\\Software is stored."""
        if self.build.bits == 32 and re.match(r"(?i)^HKLM\\Software\\", key):
            return "HKLM\\Software\\Wow6432Node\\" + key[len("HKLM\\Software\\"):]
        return key

    # -- disc and companions

    def copy_disc(self, win_dir=r"C:\disc", remove=(), setup_ini=None):
        """Copies the sample disc to win_dir; returns win_dir.

        remove: disc-relative paths (backslashes) to delete from the copy.
        setup_ini: None keeps the disc's file; a dict {section: {key: value}} replaces it;
        False deletes it.
        """
        dst = self.host_path(win_dir)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        self.build.copy_tree(self.build.disc_dir, dst)
        for rel in remove:
            p = os.path.join(dst, rel.replace("\\", "/"))
            if os.path.isdir(p):
                shutil.rmtree(p)
            else:
                os.remove(p)
        if setup_ini is False:
            os.remove(os.path.join(dst, "setup.ini"))
        elif setup_ini is not None:
            self.write_profile(win_dir + r"\setup.ini", setup_ini)
        return win_dir

    def write_profile(self, win_path, sections):
        text = ""
        for section, entries in sections.items():
            text += "[%s]\r\n" % section
            for k, v in entries.items():
                text += "%s=%s\r\n" % (k, v)
        path = self.host_path(win_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", newline="") as f:
            f.write(text)

    def place_companion(self, win_path, **settings):
        """Puts a companion at win_path with a sidecar profile of these [companion] settings
        (none: no sidecar, it logs its start and exits)."""
        path = self.host_path(win_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        shutil.copyfile(self.build.companion, path)
        if settings:
            cfg = os.path.splitext(path)[0] + ".cfg"
            with open(cfg, "w", newline="") as f:
                f.write(cfg_text(**settings))
        return win_path

    def start_window_companion(self, win_path, title, settle=1.0):
        """Places and starts a companion that shows a window titled `title`; returns when
        it has logged its start (plus `settle` seconds for the window to appear)."""
        self.place_companion(win_path, Window=title)
        before = len(self.companion_events())
        self._ensure_keeper()
        p = subprocess.Popen([self.loader, win_path], env=self.env, stdin=subprocess.DEVNULL,
                             cwd=os.path.join(self.prefix, "drive_c"),
                             stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        self.background.append(p)
        self.wait_companion(lambda evs: any(e.get("event") == "start" and
                                            e.get("exe", "").lower() == win_path.lower()
                                            for e in evs[before:]),
                            timeout=30, what="start of %s" % win_path)
        time.sleep(settle)
        return p

    # -- logs

    def companion_events(self):
        return read_json_lines(self.host_path(COMPANION_LOG))

    def wait_companion(self, pred, timeout=10, what="companion log entry"):
        """Polls the companion log until pred(events) is true; returns the events."""
        deadline = time.monotonic() + min(timeout, self.remaining())
        while True:
            evs = self.companion_events()
            if pred(evs):
                return evs
            if time.monotonic() > deadline:
                raise AssertionError("timed out waiting for %s; companion log: %s" %
                                     (what, json.dumps(evs, indent=1)))
            time.sleep(0.1)

    # -- running the program

    def run(self, cmdline, script=None, timeout=None, cwd=None):
        """Runs cmdline through e2e-driver.exe; returns a DriverResult.

        The companion log is watched while it runs: every companion event gets a host
        arrival time in seconds ("_seen") relative to the driver start.
        cwd: a C: path for the driver's (and so the program's) current directory.
        """
        self._runs += 1
        n = self._runs
        log_win = r"C:\e2e\driver-%d.log" % n
        script_win = "-"
        if script is not None:
            script_win = r"C:\e2e\script-%d.txt" % n
            with open(self.host_path(script_win), "w", newline="") as f:
                f.write(script.replace("\r\n", "\n").replace("\n", "\r\n"))
        env = dict(self.env)
        limit = timeout or 180
        env["E2E_TIMEOUT_MS"] = str(int(limit * 1000))
        if self.shots:
            shots = r"C:\e2e\shots-%d" % n
            os.makedirs(self.host_path(shots), exist_ok=True)
            env["E2E_SHOTS"] = shots
        argv = [self.loader, r"C:\e2e\e2e-driver.exe", log_win, script_win]
        try:
            argv += wine_argv_for(cmdline)
        except ValueError:
            # Doubled or trailing blanks: the driver takes the command line from its
            # environment instead.
            env["E2E_COMMAND"] = cmdline
        host_cwd = self.host_path(cwd) if cwd else self.host_path("C:\\")
        seen = {}
        self._ensure_keeper()
        t0 = time.monotonic()
        proc = subprocess.Popen(argv, env=env, cwd=host_cwd, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        deadline = t0 + min(limit + 30, self.remaining())
        while proc.poll() is None:
            self._stamp_companion(seen, t0)
            if time.monotonic() > deadline:
                proc.kill()
                proc.wait()
                raise HarnessError("e2e-driver did not end in time")
            time.sleep(0.05)
        self._stamp_companion(seen, t0)
        self.seen, self._t0 = seen, t0
        events = read_json_lines(self.host_path(log_win))
        if not any(e.get("event") in ("exit", "timeout") for e in events):
            raise HarnessError("e2e-driver ended (%d) without exit record; log: %r"
                               % (proc.returncode, events))
        return DriverResult(events, proc.returncode)

    def _stamp_companion(self, seen, t0):
        now = time.monotonic() - t0
        for i, _ in enumerate(self.companion_events()):
            seen.setdefault(i, now)

    def companion_events_timed(self, settle=3.0):
        """Companion events after the last run, watching `settle` more seconds for late
        starters; each event gets "_seen": when the harness first saw it, in seconds from
        the driver's start (events from before the run carry the time of the first look)."""
        end = time.monotonic() + min(settle, self.remaining())
        while True:
            self._stamp_companion(self.seen, self._t0)
            if time.monotonic() >= end:
                break
            time.sleep(0.05)
        evs = self.companion_events()
        for i, e in enumerate(evs):
            e["_seen"] = self.seen.get(i)
        return evs

    def screenshot(self, png):
        """Saves the scenario's X screen as an image file (needs imagemagick)."""
        env = dict(os.environ, DISPLAY=self.xvfb.display)
        subprocess.run(["import", "-window", "root", png], env=env, check=True,
                       stdin=subprocess.DEVNULL, timeout=60)

    # -- snapshots

    def snapshot(self):
        """Registry and drive C files; ends every running process of the prefix first."""
        reg = self.registry()
        files = file_tree(os.path.join(self.prefix, "drive_c"), skip=("e2e",))
        return Snapshot(reg, files)


# ---------------------------------------------------------------------------
# Test support


class WineTestCase(unittest.TestCase):
    """Skips when Wine is not installed; a missing program build is an error."""

    @classmethod
    def setUpClass(cls):
        if not wine_available():
            raise unittest.SkipTest("Wine is not installed")
        cls.build = Build()

    def scenario(self, version=None, **kw):
        name = "%s-%s" % (type(self).__name__, self._testMethodName)
        return Scenario(name, version=version, build=self.build, **kw)


def main(argv):
    """`harness.py run <test id>...`: runs tests; exit code 77 when every test was skipped."""
    if len(argv) >= 2 and argv[1] == "run":
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        suite = unittest.defaultTestLoader.loadTestsFromNames(argv[2:])
        result = unittest.TextTestRunner(verbosity=2).run(suite)
        if not result.wasSuccessful():
            return 1
        # A class skipped in setUpClass counts one skip and no test run.
        if result.skipped and len(result.skipped) >= result.testsRun:
            return 77
        return 0
    if len(argv) >= 2 and argv[1] == "template":
        if not wine_available():
            return 77
        print(ensure_template(Build().work_dir))
        return 0
    sys.stderr.write("usage: harness.py run <test id>... | template\n")
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
