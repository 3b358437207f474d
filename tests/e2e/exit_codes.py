"""The program's exit codes, read from src/common/ExitCodes.h, so that the tests
and the measuring tools expect what the program says and not a copy of it."""

import os
import re

from e2e_base import SOURCE_DIR

HEADER = os.path.join(SOURCE_DIR, "src", "common", "ExitCodes.h")


def read(path=HEADER):
    """{constant name: value} of every `constexpr int kName = value;`."""
    with open(path) as f:
        return {m.group(1): int(m.group(2))
                for m in re.finditer(r"constexpr\s+int\s+(k\w+)\s*=\s*(\d+)\s*;", f.read())}


_codes = read()
SUCCESS = _codes["kSuccess"]
# A driver installation whose restart prompt was answered "later".
REBOOT_REQUIRED = _codes["kRebootRequired"]
USER_CANCELLED = _codes["kUserCancelled"]
