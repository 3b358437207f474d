#!/usr/bin/env bash
# `make test`: installs what is missing, builds everything, then runs the unit
# tests (under AddressSanitizer and UBSan), a short run of each fuzz target and
# the end-to-end tests under Wine. Every test phase runs even when one before it
# failed; the exit code is non-zero when anything failed. At the end it prints
# how long each phase took.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-$(nproc)}"
logs=build/logs
mkdir -p "$logs"

times=()
failed=()
report() {
  echo
  echo "make test: time per phase"
  for t in "${times[@]}"; do echo "  $t"; done
  if [ ${#failed[@]} -gt 0 ]; then
    echo "make test: FAILED: ${failed[*]}"
  fi
}
trap report EXIT

now() { date +%s%N; }

# note <name> <start ns> <end ns> <exit code> [remark]: one line of the report.
note() {
  local tenths=$((($3 - $2) / 100000000)) remark="${5:-}"
  [ "$4" -eq 0 ] || { remark="$remark (failed: $4)"; failed+=("$1"); }
  times+=("$(printf '%-26s %5d.%d s%s' "$1" $((tenths / 10)) $((tenths % 10)) "$remark")")
}

# phase <name> <command...>: runs the command in the foreground and notes it.
phase() {
  local name=$1 start rc
  shift
  echo "== $name"
  start=$(now)
  "$@"
  rc=$?
  note "$name" "$start" "$(now)" $rc
  return $rc
}

# background <name> <command...>: starts the command with its output in
# build/logs/<name>.log; finish <name> waits for it, shows the output and notes it.
declare -A pid started
background() {
  local name=$1
  shift
  started[$name]=$(now)
  { "$@"; status=$?; now >"$logs/$name.end"; exit $status; } >"$logs/$name.log" 2>&1 &
  pid[$name]=$!
}
finish() {
  local name=$1 rc remark=${2:-}
  wait "${pid[$1]}"
  rc=$?
  note "$name" "${started[$name]}" "$(cat "$logs/$name.end")" $rc "$remark"
  echo "== $name"
  cat "$logs/$name.log"
  return $rc
}

total_start=$(now)
phase packages tools/install-deps.sh || exit 1
# Make's own variables would leak into the builds' make through MAKEFLAGS.
unset MAKEFLAGS MAKELEVEL MFLAGS
# The three builds side by side: each one alone leaves a core idle while it
# configures or links.
for b in win32 win64 host; do
  background "build $b" make -s "$b" JOBS="$jobs"
done
ok=1
for b in win32 win64 host; do
  finish "build $b" "   (the builds side by side)" || ok=0
done
[ $ok -eq 1 ] || exit 1
phase "build disc" make -s disc || exit 1
phase "unit tests (ASan+UBSan)" ctest --test-dir build/host --output-on-failure -L unit -j "$jobs"
# Each fuzz target runs for a fixed time, one after the other, beside the
# end-to-end tests, which mostly wait for the program's sleeps: at a lower
# priority, they take only the time the Wine scenarios leave. (`ctest -L fuzz`
# runs the same; one ctest at a time per build folder.)
fuzz_targets() {
  local t rc=0
  while read -r t; do
    if nice -n 10 tools/run-fuzzer.sh build/host/fuzz "$t" 10 >"$logs/fuzz-$t.log" 2>&1; then
      echo "fuzz $t: passed"
    else
      echo "fuzz $t: FAILED ($logs/fuzz-$t.log)"
      tail -n 30 "$logs/fuzz-$t.log"
      rc=1
    fi
  done <build/host/fuzz/targets.txt
  return $rc
}
background fuzz fuzz_targets
phase end-to-end tools/run-e2e.sh build/host
finish fuzz "   (beside the end-to-end tests)"
note all "$total_start" "$(now)" 0
[ ${#failed[@]} -eq 0 ]
