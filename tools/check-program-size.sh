#!/usr/bin/env bash
# Fails when the disc program grows past its size budget; prints its size and
# the size of each of its sections either way.
#   check-program-size.sh <program.exe> <limit in bytes>
set -euo pipefail
program=$1
limit=$2
[ -f "$program" ] || { echo "missing: $program (run \`make windows\`)"; exit 1; }
size=$(stat -c %s "$program")
echo "$program: $size bytes (limit $limit)"
objdump=i686-w64-mingw32-objdump
command -v "$objdump" >/dev/null || objdump=objdump
# Section name, then its size in bytes.
"$objdump" -h "$program" | while read -r index name hexsize rest; do
  if [[ "$index" =~ ^[0-9]+$ ]]; then printf '  %-10s %8d\n' "$name" "$((16#$hexsize))"; fi
done
if [ "$size" -gt "$limit" ]; then
  echo "FAIL: $program is $((size - limit)) bytes over its limit"
  exit 1
fi
