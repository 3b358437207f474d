#!/usr/bin/env bash
# Runs the end-to-end tests of a host build folder, then says which program they
# ran and which ones Wine made run again.
#
# Most of a Wine scenario is spent waiting while the program sleeps (a driver
# installation alone waits 35 s), so more scenarios run side by side than there
# are cores: E2E_SCENARIOS at most (ctest's -j, as this ctest runs only the
# end-to-end tests), of which at most E2E_START_SLOTS set up a prefix at once
# (tests/e2e/scenario.py), since that keeps a core busy.
# Usage: run-e2e.sh <host build folder> [ctest options...]
set -uo pipefail
build="${1:-build/host}"
shift || true
# Through the qemu lane (docs/WINE-32BIT.md) every 32-bit program keeps a core
# busy while it runs, so fewer scenarios share the machine there.
if [ -e /proc/sys/fs/binfmt_misc/w2ksetup-i386 ]; then
  scenarios="${E2E_SCENARIOS:-4}"
else
  scenarios="${E2E_SCENARIOS:-10}"
fi
ctest --test-dir "$build" --output-on-failure -L e2e -j "$scenarios" "$@"
rc=$?
"$(dirname "$0")/e2e-summary.sh" "$build"
exit $rc
