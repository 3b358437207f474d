"""What every part of the end-to-end harness shares: its errors, its log and the
one way it waits for something."""

import contextlib
import fcntl
import hashlib
import os
import sys
import time

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# How long a wait for something a scenario needs (a window, a process, a log
# entry) may take before the scenario is given up. The machine is shared and
# may slow down a lot without warning, so this is far above the usual second.
WAIT_SECONDS = 90


class HarnessError(Exception):
    """The scenario could not be set up or run (not a finding about the program)."""


class DeadlineExpired(HarnessError):
    """A wait or a Wine command ran out of time.

    Every deadline of a scenario ends in this error: either the program did not do
    what was awaited, or the prefix hung (a prefix that has lost its desktop owner
    hangs every call that lists windows). The test runner is the one place that
    sees all of them.
    """


class WineFault(HarnessError):
    """Wine itself failed while a scenario's prefix was set up or read back: one of its
    tools (reg, wineboot, wineserver, the keeper, a copy of the template) ended with an
    error or did not end. Not a finding about the program: the test runs again in
    fresh prefixes. Other errors become one with mark_wine_fault."""

    def __init__(self, msg):
        super().__init__(msg)
        self.wine_fault = msg


def mark_wine_fault(error, why):
    """Marks an error as Wine's fault (see WineFault) unless it already is; returns it."""
    if not getattr(error, "wine_fault", None):
        error.wine_fault = "%s: %s" % (why, error)
    return error


def tool_output(stdout, stderr):
    """What a tool said, both streams, for an error message."""
    said = []
    for name, text in (("stdout", stdout), ("stderr", stderr)):
        if isinstance(text, bytes):
            text = text.decode("utf-8", "replace")
        text = (text or "").strip()
        said.append("%s: %s" % (name, text or "(empty)"))
    return "; ".join(said)


def log(msg):
    sys.stderr.write("[e2e] %s\n" % msg)
    sys.stderr.flush()


def poll_until(check, what, timeout=WAIT_SECONDS, period=0.1, detail=None):
    """Calls check() until it returns a true value, and returns that value.

    Raises DeadlineExpired naming `what` after `timeout` seconds; detail(), when
    given, adds what was seen instead (for example the log read so far).
    """
    deadline = time.monotonic() + timeout
    while True:
        found = check()
        if found:
            return found
        if time.monotonic() > deadline:
            msg = "gave up after %.0f s waiting for %s" % (timeout, what)
            if detail is not None:
                msg += "; seen instead: %s" % detail()
            raise DeadlineExpired(msg)
        time.sleep(period)


def file_sha1(path):
    h = hashlib.sha1()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 16), b""):
            h.update(chunk)
    return h.hexdigest()


# Host-wide slots shared by every harness process of this machine, e.g. the
# scenarios that may start a prefix at once. A slot is a lock file; the kernel
# frees it when its holder ends, however it ends.
SLOTS_DIR = os.environ.get("E2E_SLOTS_DIR") or "/tmp/w2ksetup-e2e-slots"


@contextlib.contextmanager
def host_slot(kind, count, timeout=900):
    """Holds one of `count` slots of this kind for the duration of the block."""
    os.makedirs(SLOTS_DIR, exist_ok=True)
    files = [open(os.path.join(SLOTS_DIR, "%s.%d" % (kind, i)), "w") for i in range(count)]

    def take():
        for f in files:
            try:
                fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except BlockingIOError:
                continue
            return True
        return False

    try:
        poll_until(take, "a free %s slot" % kind, timeout=timeout, period=0.2)
        yield
    finally:
        for f in files:
            f.close()
