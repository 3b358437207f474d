#!/usr/bin/env bash
# Runs one fuzz target for a number of seconds, starting from its checked-in
# seeds. New inputs go to the build folder, so the seeds stay as they are; a
# finding is saved there too and makes the exit code non-zero.
# Usage: run-fuzzer.sh <fuzz build folder> <target> <seconds> [libFuzzer options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1" target="$2" seconds="$3"
shift 3

fuzzer="$build/$target"
if [ ! -x "$fuzzer" ]; then
  echo "$fuzzer is missing: build the fuzz targets with 'make host'" >&2
  exit 1
fi
seeds="$root/fuzz/corpus/$target"
found="$build/corpus/$target"
artifacts="$build/findings/$target"
mkdir -p "$found" "$artifacts"
options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/")
if [ -f "$root/fuzz/$target.dict" ]; then
  options+=(-dict="$root/fuzz/$target.dict")
fi
exec "$fuzzer" "${options[@]}" "$@" "$found" "$seeds"
