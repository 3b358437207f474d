#!/usr/bin/env bash
# Prints which Windows program the end-to-end tests of the last ctest run ran,
# and any test run again because its Wine prefix hung (docs/WINE-32BIT.md).
log="${1:-build/host}/Testing/Temporary/LastTest.log"
[ -f "$log" ] || exit 0
echo "End-to-end tests, by the program they ran:"
grep -o '\[e2e\] [A-Za-z]* runs .*' "$log" | sed 's/^\[e2e\] [A-Za-z]* runs /  /' | sort | uniq -c
grep -ho '\[e2e\] RETRIED.*\|\[e2e\] SKIPPED as a test.*' "$log" | grep -v 'test_harness\.' | sed 's/^/  /'
exit 0
