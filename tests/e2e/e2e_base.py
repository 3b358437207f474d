"""What every part of the end-to-end harness shares: its errors, its log and the
one way it waits for something."""

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
