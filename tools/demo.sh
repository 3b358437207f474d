#!/usr/bin/env bash
# Runs the demo: W2KSetup.exe from the sample disc under Wine, in fresh
# prefixes under Xvfb, with an account of what each run did. Needs the Windows
# build and the disc (`make demo` makes both). Names of runs may be given to
# run only those.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
export WIN_BUILD=${WIN_BUILD:-$repo/build/win32}
export WIN_BUILD64=${WIN_BUILD64:-$repo/build/win64}
export DISC_DIR=${DISC_DIR:-$repo/build/disc}
export BUILD_DIR=${BUILD_DIR:-$repo/build}
export DEMO_DIR=${DEMO_DIR:-$repo/build/demo}
exec python3 tools/demo.py "$@"
