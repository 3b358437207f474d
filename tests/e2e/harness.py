"""End-to-end harness: runs W2KSetup.exe and its companion programs under Wine.

    harness.py run <test id>...   runs tests (the ctest entry point, tests/e2e/e2e.cmake);
                                  exit code 77 when every test was skipped
    harness.py template           creates the prefix template and prints its path

Every scenario gets a copy of a prefix template, its own Xvfb display and its
own wineserver. The parts:
  e2e_base.py     the harness's errors and log, and poll_until, its one way to wait
  wine_prefix.py  prefix and display: Wine, the Windows build, the template, Xvfb
  reg_files.py    registry and profile parsing, snapshots of a prefix
  run_logs.py     process and window logs: e2e-driver and companion logs, and the
                  prefix's processes and windows as the host sees them
  scenario.py     one scenario: a throwaway prefix and what a test does in it
  harness.py      the runner: WineTestCase and the command line
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_base import log  # noqa: E402
from scenario import Scenario  # noqa: E402
from wine_prefix import Build, ensure_template, wine_available  # noqa: E402


# Test ids that ran on the 64-bit build standing in for the 32-bit one.
_stood_in = []


class WineTestCase(unittest.TestCase):
    """Skips when Wine is not installed; a missing program build is an error."""

    # A test that Wine failed (WineFault, e2e_base.py) runs once more, in fresh prefixes.
    WINE_FAULT_RETRIES = 1

    @classmethod
    def setUpClass(cls):
        if not wine_available():
            raise unittest.SkipTest("Wine is not installed")
        cls.build = Build()
        log("%s runs %s" % (cls.__name__, cls.build.describe()))

    def assertExitedWith(self, result, code):
        """The program ended by itself, with this exit code."""
        self.assertFalse(result.timed_out, "the program did not end: %r" % result.events)
        self.assertEqual(result.exit_code, code, result.events)

    def scenario(self, version=None, **kw):
        name = "%s-%s" % (type(self).__name__, self._testMethodName)
        return Scenario(name, version=version, build=self.build, **kw)

    def run(self, result=None):
        # An error that Wine itself caused carries `wine_fault`: a tool of Wine failed or
        # hung while a prefix was set up or read back, the prefix did not start, or it
        # was found hung after a deadline ran out (Scenario.prefix_hung). Each test makes
        # its own fresh prefixes, so such a test is run again here from the start. A
        # wrong result of the program, or a deadline the program itself missed, is not.
        method = getattr(self, self._testMethodName)

        def with_retry():
            for attempt in range(self.WINE_FAULT_RETRIES + 1):
                try:
                    return method()
                except Exception as e:
                    fault = getattr(e, "wine_fault", None)
                    if not fault or attempt == self.WINE_FAULT_RETRIES:
                        raise
                    log("RETRIED %s: %s" % (self.id(), fault))

        setattr(self, self._testMethodName, with_retry)
        if getattr(self, "build", None) is not None and self.build.stand_in:
            _stood_in.append(self.id())
        return super().run(result)


def main(argv):
    if len(argv) >= 2 and argv[1] == "run":
        suite = unittest.defaultTestLoader.loadTestsFromNames(argv[2:])
        result = unittest.TextTestRunner(verbosity=2).run(suite)
        if not result.wasSuccessful():
            return 1
        # A class skipped in setUpClass counts one skip and no test run.
        if result.skipped and len(result.skipped) >= result.testsRun:
            return 77
        if _stood_in:
            # Passed, but on the 64-bit build: the program that ships was not tested.
            log("SKIPPED as a test of the shipped 32-bit program: %s passed on the 64-bit "
                "build, because 32-bit Wine cannot run here (docs/WINE-32BIT.md)"
                % ", ".join(_stood_in))
            return 77
        return 0
    if len(argv) >= 2 and argv[1] == "template":
        if not wine_available():
            return 77
        print(ensure_template())
        return 0
    sys.stderr.write("usage: harness.py run <test id>... | template\n")
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
