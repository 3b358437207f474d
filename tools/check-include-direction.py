#!/usr/bin/env python3
"""Checks that the folders of src/ include one another in one direction only.

A file may include headers of its own folder and of the folders on the rows
below its own; folders on the same row are peers and do not include each
other. The Win32 platform is included by the program's entry point only, so
that no logic calls Win32. The fake machine of the unit tests may include only
the seam and itself, so that it never borrows the program's logic.

Usage: check-include-direction.py [repository root]. Exit code 1 on a
violation, with one line per offending include. Before checking the tree it
checks itself on a planted violation, so a broken checker cannot pass.
"""

import os
import posixpath
import re
import sys

# Top first. "main" holds WinMain, which builds the Win32 platform and hands
# it to the start-up code, so it sits above everything it wires.
LAYERS = [
    ["main"],
    ["app"],
    ["ui"],
    ["driver"],
    ["suite", "cleanup"],
    ["diagnostics"],
    ["common", "res"],
    ["observation", "platform/win32"],
    ["platform"],
]
# Folders that only the listed folders may include, whatever their rows say.
INCLUDED_ONLY_BY = {"platform/win32": ["main"]}
FAKE_MAY_INCLUDE = ["fake", "platform"]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    """The layer folder of a path relative to src/ (or an include target)."""
    parts = path.split("/")
    if len(parts) >= 2 and parts[0] == "platform" and parts[1] == "win32":
        return "platform/win32"
    return parts[0] if len(parts) > 1 else None


def rank(folder):
    for index, row in enumerate(LAYERS):
        if folder in row:
            return index
    return None


def violations(sources, fake_sources):
    """sources, fake_sources: {relative path: text}. Returns messages."""
    found = []
    for path, text in sorted(sources.items()):
        own = folder_of(path)
        own_rank = rank(own)
        if own_rank is None:
            found.append("%s: folder %r has no place in the layers" % (path, own))
            continue
        for target in INCLUDE.findall(text):
            if posixpath.join(posixpath.dirname(path), target) in sources:
                continue  # a file beside this one (the resource scripts)
            other = folder_of(target)
            if other is None or other == own:
                continue
            other_rank = rank(other)
            if (other_rank is None or other_rank <= own_rank or
                    own not in INCLUDED_ONLY_BY.get(other, [own])):
                found.append("src/%s includes %s: %s may not depend on %s" %
                             (path, target, own, other))
    for path, text in sorted(fake_sources.items()):
        for target in INCLUDE.findall(text):
            other = folder_of(target)
            if other not in FAKE_MAY_INCLUDE:
                found.append("tests/fake/%s includes %s: the fake uses only the seam" %
                             (path, target))
    return found


def read_tree(root):
    files = {}
    for folder, _, names in os.walk(root):
        for name in names:
            if name.endswith((".h", ".cpp", ".rc")):
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    files[os.path.relpath(path, root).replace(os.sep, "/")] = f.read()
    return files


def self_test():
    """The checker must see what it is there to see."""
    planted = {
        "driver/Step.cpp": '#include "ui/RestartDlg.h"\n',
        "suite/Launch.cpp": '#include "cleanup/Purge.h"\n',
        "common/Paths.cpp": '#include "common/Paths.h"\n#include "platform/WinApi.h"\n',
        "app/Main.cpp": '#include "driver/Install.h"\n',
        "diagnostics/Log.cpp": '#include "common/Paths.h"\n#include "driver/Install.h"\n',
        "common/Win.cpp": '#include "platform/win32/Win32Windows.h"\n',
        "platform/win32/Win32Main.cpp": '#include "app/SetupMain.h"\n',
        "main/WinMain.cpp": '#include "platform/win32/Win32Desktop.h"\n#include "app/SetupMain.h"\n',
    }
    fake = {"FakeDesktop.cpp": '#include "driver/Install.h"\n#include "platform/Desktop.h"\n'}
    found = violations(planted, fake)
    # driver->ui, suite->cleanup (peers), diagnostics->driver, common->platform/win32,
    # platform/win32->app, fake->driver
    expected = 6
    if len(found) != expected:
        sys.exit("include check is broken: expected %d findings on the planted tree, got %r" %
                 (expected, found))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    self_test()
    found = violations(read_tree(os.path.join(root, "src")),
                       read_tree(os.path.join(root, "tests", "fake")))
    for line in found:
        print(line)
    if found:
        print("%d include(s) against the layer order (see docs/ARCHITECTURE.md)" % len(found))
        return 1
    print("includes follow the layer order")
    return 0


if __name__ == "__main__":
    sys.exit(main())
