#!/usr/bin/env bash
# Makes 32-bit Wine run on a machine whose kernel refuses 32-bit Linux programs,
# so that the end-to-end tests and the demo run the program that ships
# (build/win32). How it works and what it costs: docs/WINE-32BIT.md.
#
# Every i386 ELF program is handed to qemu-i386-static through a binfmt_misc
# entry of our own ("w2ksetup-i386"). Wine starts its preloader and every child
# process itself, so a wrapper around the wine command would not be enough.
# The entry is never removed here, and no entry someone else made is touched.
# Where the lane cannot be set up, says so loudly and ends with 0: the tests
# then run the 64-bit build and report the 32-bit tests as skipped.
set -uo pipefail

WINE32=/usr/lib/wine/wine
ENTRY=w2ksetup-i386
BINFMT=/proc/sys/fs/binfmt_misc
# qemu keeps argv[0] (as Wine's preloader expects) when its name ends in -binfmt-P.
INTERPRETER=/usr/local/libexec/w2ksetup/qemu-i386-binfmt-P
QEMU=/usr/bin/qemu-i386-static
I386_MAGIC='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

wine32_runs() { timeout 60 "$WINE32" --version >/dev/null 2>&1; }

loudly() {
  echo "*** 32-bit lane NOT set up: $* ***" >&2
  echo "*** The end-to-end tests run the 64-bit build; the 32-bit tests are reported as skipped. ***" >&2
}

[ -x "$WINE32" ] || { loudly "$WINE32 is missing (package wine32:i386)"; exit 0; }
wine32_runs && exit 0

if [ "$(id -u)" -ne 0 ]; then
  loudly "32-bit programs do not run here and registering binfmt_misc needs root"
  exit 0
fi
[ -x "$QEMU" ] || { loudly "$QEMU is missing (package qemu-user-static)"; exit 0; }
if [ ! -e "$BINFMT/register" ]; then
  mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null ||
    { loudly "binfmt_misc cannot be mounted on $BINFMT"; exit 0; }
fi
mkdir -p "$(dirname "$INTERPRETER")"
ln -sf "$QEMU" "$INTERPRETER"
if [ ! -e "$BINFMT/$ENTRY" ]; then
  # Flags: P keeps argv[0], O hands qemu an open file, C takes the credentials of
  # the program, F opens the interpreter now, so it works in every mount namespace.
  printf ':%s:M::%s:%s:%s:POCF' "$ENTRY" "$I386_MAGIC" "$I386_MASK" "$INTERPRETER" \
    >"$BINFMT/register" 2>/dev/null ||
    { loudly "binfmt_misc refused the entry $ENTRY"; exit 0; }
  echo "32-bit lane: registered binfmt_misc entry $ENTRY (i386 ELF programs run through $QEMU, flags POCF)"
fi
wine32_runs || { loudly "$WINE32 still does not run through $ENTRY"; exit 0; }
exit 0
