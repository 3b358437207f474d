"""The scenario: one throwaway Wine prefix with its own display and wineserver,
and what a test does in it: lay out the disc and the companions, start
programs, run W2KSetup.exe through e2e-driver.exe, and wait for windows,
processes and log entries. Every wait and every Wine command has a deadline
and ends in DeadlineExpired when it runs out.

e2e-driver.exe starts a command line byte-exact, logs message boxes and dialogs,
presses buttons and reports the exit code; companion.exe stands in for every
program W2KSetup.exe starts or closes, and logs how it was started, closed and
ended. Both write JSON lines (run_logs.py).

Environment: E2E_KEEP=1 keeps the scenario folders after the run.
"""

import contextlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import reg_files
import run_logs
from e2e_base import (WAIT_SECONDS, DeadlineExpired, HarnessError, WineFault, host_slot, log,
                       mark_wine_fault, poll_until, tool_output)
from wine_prefix import WINE64_LOADER, Build, Xvfb, ensure_template, wine_env, wine_info

# Starts of the keeper process before a scenario is given up (see _ensure_keeper).
KEEPER_STARTS = 3

# Scenarios of this machine that may set up a prefix at once. Setting up (copying
# the template, starting the wineserver and Wine's services) keeps a core busy;
# what follows mostly waits for the program, which sleeps a lot, so more
# scenarios than this may run side by side (E2E_SCENARIOS, tools/run-e2e.sh).
START_SLOTS = int(os.environ.get("E2E_START_SLOTS") or 2)

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
        # The 64-bit build runs under the 64-bit loader (natively where the 32-bit lane
        # goes through qemu); everything else under the loader wine_info found.
        self.loader = self.info["loader"]
        # Wine's own tools (the keeper's cmd, reg) run natively under the 64-bit loader
        # where there is one: under qemu they are slow and crash now and then.
        self.tool_loader = WINE64_LOADER if os.access(WINE64_LOADER, os.X_OK) else self.loader
        if self.build.bits == 64:
            self.loader = self.tool_loader
        self.dir = None
        self.prefix = None
        self.xvfb = None
        self.env = None
        self.keeper = None
        # Processes the test started itself (Linux pids are the Windows processes' own).
        self.background = []
        self._runs = 0
        self.started = None
        self.elapsed = None

    # -- lifecycle

    def __enter__(self):
        try:
            with host_slot("start", START_SLOTS):
                # The scenario's time runs from when it may start.
                self.started = time.monotonic()
                self._deadline = self.started + self.timeout
                self._set_up()
        except BaseException as e:
            if isinstance(e, (HarnessError, OSError, subprocess.SubprocessError)):
                # The program has not run yet: Wine or the host did not set up the prefix.
                mark_wine_fault(e, "the prefix was not set up")
            if self.started is None:
                self.started = time.monotonic()
            self.__exit__(*sys.exc_info())
            raise
        return self

    def _set_up(self):
        template = ensure_template()
        runs = os.path.join(self.build.work_dir, "runs")
        os.makedirs(runs, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix=self.name + ".", dir=runs)
        self.prefix = os.path.join(self.dir, "prefix")
        subprocess.run(["cp", "-a", template, self.prefix], check=True, timeout=self.remaining())
        # With a virtual desktop the screen is the desktop's size, so screenshots hold
        # nothing else.
        self.xvfb = Xvfb(size="800x600x24" if self.desktop else "1024x768x24")
        self.env = wine_env(self.prefix, self.xvfb.display)
        self.env["COMPANION_LOG"] = run_logs.COMPANION_LOG
        os.makedirs(self.host_path(r"C:\e2e"), exist_ok=True)
        shutil.copyfile(self.build.driver, self.host_path(r"C:\e2e\e2e-driver.exe"))
        # Set in the saved hive before the prefix starts: a Wine tool run while Wine
        # is still starting a new wineserver's services can fail.
        if self.version:
            reg_files.add_user_values(self.prefix, r"Software\Wine", {"Version": self.version})
        if self.desktop:
            reg_files.add_user_values(self.prefix, r"Software\Wine\Explorer", {"Desktop": "e2e"})
            reg_files.add_user_values(self.prefix, r"Software\Wine\Explorer\Desktops",
                                      {"e2e": "800x600"})
        # Starting the prefix (the wineserver and Wine's services) is the costly part of
        # the set-up; it runs here, within the start slot, and the prefix a test first
        # sees, or snapshots, has been started once, as the program's runs will find it.
        self._ensure_keeper()

    def __exit__(self, exc_type, exc, tb):
        if isinstance(exc, DeadlineExpired) and self.env is not None and \
                not getattr(exc, "wine_fault", None) and self.prefix_hung():
            exc.wine_fault = "its window listing did not answer"
        try:
            self.kill_wine()
        except WineFault as e:
            if exc is None:
                raise
            log("scenario %s: %s" % (self.name, e))
        finally:
            for p in self.background:
                if p.poll() is None:
                    p.kill()
                    p.wait(30)
            if self.xvfb:
                self.xvfb.stop()
        self.elapsed = time.monotonic() - self.started
        log("scenario %s: %.1f s (%s)" % (self.name, self.elapsed, self.dir))
        if exc_type is None and os.environ.get("E2E_KEEP") != "1":
            shutil.rmtree(self.dir, ignore_errors=True)
        return False

    # A window listing in a healthy prefix answers within a second or three, under
    # qemu too; a prefix that has lost the owner of its desktop never answers.
    PROBE_SECONDS = 30

    def prefix_hung(self):
        """True when a window listing in the prefix does not answer."""
        try:
            subprocess.run([self.loader, r"C:\e2e\e2e-driver.exe", "--probe"], env=self.env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=self.PROBE_SECONDS)
        except subprocess.TimeoutExpired:
            log("scenario %s: the prefix's window listing did not answer within %d s: "
                "the prefix is hung" % (self.name, self.PROBE_SECONDS))
            return True
        return False

    def _ensure_keeper(self):
        # Wine stops its service processes whenever the last program of the prefix ends,
        # and starting them again costs seconds per Wine command. An idle command
        # interpreter reading from a pipe keeps them running. Wait until it runs: console
        # programs started at the same moment as the first one of a fresh wineserver can
        # hang in their console set-up.
        if self.keeper is not None and self.keeper.poll() is None:
            return
        # The keeper is the first program of the prefix, so it starts the wineserver. On a
        # loaded machine the server can take longer to listen than the loader waits for
        # it ("a wine server seems to be running, but I cannot connect to it"); the next
        # start then finds it listening.
        for attempt in range(1, KEEPER_STARTS + 1):
            said = self._start_keeper()
            if said is None:
                return
            log("the Wine keeper process ended (start %d of %d): %s"
                % (attempt, KEEPER_STARTS, said))
        raise WineFault("the Wine keeper process did not start: %s" % said)

    def _start_keeper(self):
        """Starts the keeper; returns None once it runs, else what it said when it ended."""
        flag = self.host_path(r"C:\e2e\keeper.up")
        with contextlib.suppress(FileNotFoundError):
            os.remove(flag)
        errors = os.path.join(self.dir, "keeper-stderr.txt")
        with open(errors, "wb") as err:
            self.keeper = subprocess.Popen([self.tool_loader, "cmd"], env=self.env,
                                           stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                           stderr=err)
        self.keeper.stdin.write(b"echo up>C:\\e2e\\keeper.up\r\n")
        self.keeper.stdin.flush()
        poll_until(lambda: os.path.exists(flag) or self.keeper.poll() is not None,
                   "the Wine keeper process to start", timeout=self.wait_limit(), period=0.05)
        if os.path.exists(flag):
            return None
        with contextlib.suppress(OSError):
            self.keeper.stdin.close()
        with open(errors, "rb") as f:
            said = f.read().decode("utf-8", "replace").strip()
        return "exit code %d, %s" % (self.keeper.returncode, said or "no message")

    def kill_wine(self):
        """Ends every process of the prefix; the wineserver saves the registry on the way out."""
        keeper = self.keeper
        if keeper is not None:
            with contextlib.suppress(OSError):
                keeper.stdin.close()
        if self.env and os.path.isdir(self.prefix):
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
                subprocess.run(["wineserver", "-w"], env=self.env, stdin=subprocess.DEVNULL,
                               timeout=60)
            except subprocess.TimeoutExpired as e:
                raise WineFault("the prefix's wineserver did not end: %s" % e)
        if keeper is not None:
            keeper.wait(60)
            self.keeper = None

    def remaining(self):
        """Seconds left of the scenario's time; DeadlineExpired when none are."""
        left = self._deadline - time.monotonic()
        if left <= 0:
            raise DeadlineExpired("scenario %s ran out of its %d s" % (self.name, self.timeout))
        return left

    def wait_limit(self, timeout=WAIT_SECONDS):
        """A wait's deadline: `timeout` seconds, but never beyond the scenario's end."""
        return min(timeout, self.remaining())

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
        """Runs a Wine command in the prefix and returns its CompletedProcess.

        A bare name is one of Wine's tools: its failure or hang is Wine's (WineFault).
        A Windows path is a program of the test: its failure is a HarnessError."""
        self._ensure_keeper()
        limit = min(timeout, self.remaining())
        wine_tool = "\\" not in args[0]
        command = "wine " + " ".join(args)
        try:
            r = subprocess.run([self.tool_loader if wine_tool else self.loader] + list(args),
                               env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, universal_newlines=True,
                               timeout=limit, cwd=cwd, errors="replace")
        except subprocess.TimeoutExpired as e:
            msg = "%s did not end within %.0f s (%s)" % (command, limit,
                                                         tool_output(e.stdout, e.stderr))
            raise WineFault(msg) if wine_tool else DeadlineExpired(msg)
        if check and r.returncode != 0:
            msg = "%s failed (%d): %s" % (command, r.returncode, tool_output(r.stdout, r.stderr))
            raise WineFault(msg) if wine_tool else HarnessError(msg)
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
        return reg_files.load_prefix_registry(self.prefix)

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
        path = self.host_path(win_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", newline="") as f:
            f.write(reg_files.profile_text(sections))

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

    def start_companion(self, win_path, window=None):
        """Starts a placed companion as a background program of the test; returns its
        process once it has logged its start and, with `window`, once its window of that
        title exists."""
        before = len(self.companion_events())
        self._ensure_keeper()
        p = subprocess.Popen([self.loader, win_path], env=self.env, stdin=subprocess.DEVNULL,
                             cwd=os.path.join(self.prefix, "drive_c"),
                             stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        self.background.append(p)
        self.wait_companion(lambda evs: any(e["exe"].lower() == win_path.lower()
                                            for e in run_logs.starts(evs[before:])),
                            what="the start of %s" % win_path)
        if window:
            self.wait_window(window)
        return p

    def start_window_companion(self, win_path, title):
        """Places and starts a companion that shows a window titled `title`; returns its
        process once the window exists."""
        self.place_companion(win_path, Window=title)
        return self.start_companion(win_path, window=title)

    # -- waits

    def wait_window(self, title, timeout=WAIT_SECONDS):
        """Waits until a top-level window with this title exists (as seen on the scenario's
        X display, without calling into the prefix)."""
        poll_until(lambda: title in run_logs.x_window_titles(self.xvfb.display),
                   "a window titled %r" % title, timeout=self.wait_limit(timeout),
                   detail=lambda: run_logs.x_window_titles(self.xvfb.display))

    def wait_ended(self, process, what, timeout=WAIT_SECONDS):
        """Waits until a process the test started has ended."""
        poll_until(lambda: process.poll() is not None, "%s to end" % what,
                   timeout=self.wait_limit(timeout))

    def companion_events(self):
        return run_logs.read_json_lines(self.host_path(run_logs.COMPANION_LOG))

    def wait_companion(self, pred, what="companion log entry", timeout=WAIT_SECONDS):
        """Polls the companion log until pred(events) is true; returns the events."""
        found = []

        def check():
            found[:] = [self.companion_events()]
            return pred(found[0])

        poll_until(check, what, timeout=self.wait_limit(timeout),
                   detail=lambda: found[0] if found else [])
        return found[0]

    def programs_running(self):
        """{Linux pid: command line} of the prefix's processes other than Wine's own,
        the keeper and the test's background programs."""
        mine = {p.pid for p in self.background + [self.keeper] if p is not None}
        return {pid: cmd for pid, cmd in run_logs.prefix_processes(self.prefix).items()
                if pid not in mine and not run_logs.is_wine_own(cmd)}

    def wait_idle(self, timeout=WAIT_SECONDS):
        """Waits until every program the runs started has ended. Wine forks the Linux
        process of a new program before CreateProcess returns, so when a run has ended
        each program it started is either listed here, loading or running, or has
        ended (and so has logged its start)."""
        poll_until(lambda: not self.programs_running(), "the started programs to end",
                   timeout=self.wait_limit(timeout), detail=self.programs_running)

    def settled_companion_events(self):
        """The companion log once every program the runs started has ended."""
        self.wait_idle()
        return self.companion_events()

    # -- running the program

    def run(self, cmdline, script=None, timeout=None, cwd=None, environment=None):
        """Runs cmdline through e2e-driver.exe; returns a DriverResult.

        timeout: the driver's own limit for the program (default 180 s); it then ends
        the program and logs a timeout.
        cwd: a C: path for the driver's (and so the program's) current directory.
        environment: {name: value} added to the driver's (and so the program's)
        environment, e.g. {"W2KSETUP_LOG": r"C:\setup.log"}.
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
        env.update(environment or {})
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
        self._ensure_keeper()
        proc = subprocess.Popen(argv, env=env, cwd=host_cwd, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        # The driver ends by itself at its own limit; one that does not is stuck in the
        # prefix (a hung prefix blocks every call that lists windows).
        try:
            proc.wait(min(limit + 30, self.remaining()))
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(30)
            raise DeadlineExpired("e2e-driver.exe did not end (its own limit: %d s); log: %r"
                                  % (limit, run_logs.read_json_lines(self.host_path(log_win))))
        events = run_logs.read_json_lines(self.host_path(log_win))
        if not any(e.get("event") in ("exit", "timeout") for e in events):
            raise HarnessError("e2e-driver ended (%d) without exit record; log: %r"
                               % (proc.returncode, events))
        return run_logs.DriverResult(events, proc.returncode)

    def screenshot(self, png):
        """Saves the scenario's X screen as an image file (needs imagemagick)."""
        env = dict(os.environ, DISPLAY=self.xvfb.display)
        subprocess.run(["import", "-window", "root", png], env=env, check=True,
                       stdin=subprocess.DEVNULL, timeout=60)

    # -- snapshots

    def snapshot(self):
        """Registry and drive C files; ends every running process of the prefix first."""
        reg = self.registry()
        files = reg_files.file_tree(os.path.join(self.prefix, "drive_c"), skip=("e2e",))
        return reg_files.Snapshot(reg, files)
