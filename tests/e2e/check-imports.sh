#!/bin/sh
# Lists the DLLs in a Windows program's import table and fails if any lies
# outside the set the program may link against: the others (setupapi,
# cfgmgr32, winmm) must be loaded at run time so the program starts on
# Windows 95 and NT 4, and a leaked runtime DLL (libstdc++, libgcc,
# winpthread) would not be on the target system at all.
#
# Usage: check-imports.sh [--expect-gui32] <exe>
#   --expect-gui32  also fail unless the file is a PE32 i386 GUI program.
set -u

expect_gui32=0
if [ "${1:-}" = "--expect-gui32" ]; then
  expect_gui32=1
  shift
fi
if [ $# -ne 1 ]; then
  echo "usage: $0 [--expect-gui32] <exe>" >&2
  exit 2
fi
exe=$1
if [ ! -f "$exe" ]; then
  echo "$exe: no such file" >&2
  exit 2
fi

# The x86_64 objdump reads both PE32 and PE32+; fall back to the i686 one.
objdump=
for candidate in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump; do
  if command -v "$candidate" >/dev/null 2>&1; then
    objdump=$candidate
    break
  fi
done
if [ -z "$objdump" ]; then
  echo "no MinGW objdump found" >&2
  exit 2
fi

headers=$("$objdump" -p "$exe" 2>&1) || {
  echo "$exe: not a file objdump can read" >&2
  echo "$headers" >&2
  exit 1
}

status=0
if [ "$expect_gui32" -eq 1 ]; then
  echo "$headers" | grep -q 'file format pei-i386' || {
    echo "$exe: not an i386 PE file" >&2
    status=1
  }
  echo "$headers" | grep -Eq '^Magic[[:space:]]+010b' || {
    echo "$exe: not PE32" >&2
    status=1
  }
  echo "$headers" | grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' || {
    echo "$exe: not a GUI-subsystem program" >&2
    status=1
  }
fi

dlls=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r')
if [ -z "$dlls" ]; then
  echo "$exe: no import table found" >&2
  exit 1
fi

# Functions that the first release of Windows 95 does not export: a program
# importing one does not load there. Resolve them at run time instead.
later_functions="MoveFileExA MoveFileWithProgressA GetFileAttributesExA GetLongPathNameA
IsDebuggerPresent InterlockedCompareExchange GetDiskFreeSpaceExA FindFirstFileExA SwitchToThread
CreateWaitableTimerA SignalObjectAndWait CreateHardLinkA GetModuleHandleExA SetDllDirectoryA
SetDefaultDllDirectories AddDllDirectory"
functions=$(echo "$headers" | sed -n '/^[[:space:]]*DLL Name:/,/^$/p' |
  awk 'NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }')
for f in $later_functions; do
  if echo "$functions" | grep -qx "$f"; then
    echo "  $f  <- imported, but the first Windows 95 lacks it" >&2
    status=1
  fi
done

echo "Imports of $exe:"
for dll in $dlls; do
  case $(echo "$dll" | tr '[:upper:]' '[:lower:]') in
    kernel32.dll | user32.dll | advapi32.dll | gdi32.dll | comctl32.dll | msvcrt.dll)
      echo "  $dll"
      ;;
    *)
      echo "  $dll  <- not allowed"
      status=1
      ;;
  esac
done
exit $status
