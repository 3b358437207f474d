#!/usr/bin/env bash
# `make test`: installs what is missing, builds everything, then runs the unit
# tests (under AddressSanitizer and UBSan), a short run of each fuzz target and
# the end-to-end tests under Wine. Every test phase runs even when one before it
# failed; the exit code is non-zero when anything failed. At the end it prints
# how long each phase took.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-$(nproc)}"

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

# seconds <start ns> <end ns>: the time between, as "12.3 s".
seconds() {
  local tenths=$((($2 - $1) / 100000000))
  printf '%5d.%d s' $((tenths / 10)) $((tenths % 10))
}

# phase <name> <command...>: runs the command and notes its time and result.
phase() {
  local name=$1 start end rc
  shift
  echo "== $name"
  start=$(date +%s%N)
  "$@"
  rc=$?
  end=$(date +%s%N)
  times+=("$(printf '%-26s %s%s' "$name" "$(seconds "$start" "$end")" \
    "$([ $rc -eq 0 ] || echo "   (failed: $rc)")")")
  [ $rc -eq 0 ] || failed+=("$name")
  return $rc
}

total_start=$(date +%s%N)
phase packages tools/install-deps.sh || exit 1
# Make's own variables would leak into the builds' make through MAKEFLAGS.
unset MAKEFLAGS MAKELEVEL MFLAGS
for b in win32 win64 host disc; do
  phase "build $b" make -s "$b" JOBS="$jobs" || exit 1
done
phase "unit tests (ASan+UBSan)" ctest --test-dir build/host --output-on-failure -L unit -j "$jobs"
phase fuzz ctest --test-dir build/host --output-on-failure -L fuzz -j "$jobs"
phase end-to-end tools/run-e2e.sh build/host
times+=("$(printf '%-26s %s' "all" "$(seconds "$total_start" "$(date +%s%N)")")")
[ ${#failed[@]} -eq 0 ]
