#!/usr/bin/env python3
"""Checks that every DLL the program loads at run time is named by its full
path in the system folder: the only LoadLibrary call of src/ is the one in
Win32SystemLibrary, which loads SystemPath(name). A DLL loaded by its bare name
would be looked for in the program's own folder first on systems that lack
both SetDefaultDllDirectories and side-by-side redirection.

Usage: check-dll-loads.py [repository root]; exit code 1 on a violation.
"""

import os
import re
import sys

LOAD = re.compile(r"\bLoadLibrary(?:Ex)?[AW]?\s*\(([^;]*)")
ALLOWED_FILE = "platform/win32/Win32SystemLibrary.cpp"
ALLOWED_ARGUMENT = re.compile(r"^path\.c_str\(\)")


def violations(sources):
    found = []
    for path, text in sorted(sources.items()):
        for match in LOAD.finditer(text):
            argument = match.group(1).strip()
            if path == ALLOWED_FILE and ALLOWED_ARGUMENT.match(argument):
                continue
            line = text.count("\n", 0, match.start()) + 1
            found.append("src/%s:%d: LoadLibrary(%s) is not the system-path load of "
                         "Win32SystemLibrary" % (path, line, argument.rstrip(")")))
    system_library = sources.get(ALLOWED_FILE, "")
    if not re.search(r"std::string path = SystemPath\(m_fileName\);", system_library):
        found.append("src/%s: the load no longer takes its path from SystemPath" % ALLOWED_FILE)
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    src = os.path.join(root, "src")
    sources = {}
    for folder, _, names in os.walk(src):
        for name in names:
            if name.endswith((".cpp", ".h")):
                full = os.path.join(folder, name)
                with open(full, encoding="utf-8", errors="replace") as f:
                    sources[os.path.relpath(full, src).replace(os.sep, "/")] = f.read()
    # The checker must see a bare-name load when there is one.
    planted = dict(sources)
    planted["platform/win32/Planted.cpp"] = 'HMODULE m = ::LoadLibraryA("comctl32.dll");\n'
    if len(violations(planted)) != len(violations(sources)) + 1:
        sys.exit("DLL load check is broken: it misses a planted bare-name load")
    found = violations(sources)
    for line in found:
        print(line)
    if found:
        return 1
    print("every run-time DLL load names a full system path")
    return 0


if __name__ == "__main__":
    sys.exit(main())
