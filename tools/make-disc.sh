#!/usr/bin/env bash
# Lays out a sample driver disc in <folder> from the Windows build: the setup
# program, its options file, companion programs standing in for the general
# setup and the suite setup, the driver package and the DOS driver files.
# The Windows build folder comes from WIN_BUILD (default build/win32).
# The folder is removed and created again on every run.
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 <folder>" >&2
  exit 2
fi
disc=$1
repo=$(cd "$(dirname "$0")/.." && pwd)
win_build=${WIN_BUILD:-$repo/build/win32}
program=$win_build/W2KSetup.exe
companion=$win_build/tools/companion.exe

for f in "$program" "$companion"; do
  if [ ! -f "$f" ]; then
    echo "make-disc: missing $f (build the Windows program and tools first, or set WIN_BUILD)" >&2
    exit 1
  fi
done
target=$(realpath -m "$disc")
if [ "$target" = / ] || [ "$target" = "$repo" ] || [ "$target" = "$HOME" ]; then
  echo "make-disc: refusing to replace $disc" >&2
  exit 2
fi

# Writes its arguments as lines ending in CR LF to the file named first.
crlf() {
  local file=$1
  shift
  printf '%s\r\n' "$@" >"$file"
}

rm -rf "$disc"
mkdir -p "$disc/W2K-ME/app" "$disc/W2K-ME/drv" "$disc/Dosdrv/DOSAPP"

cp "$program" "$disc/W2KSetup.exe"
crlf "$disc/setup.ini" \
  "[InstallOption]" \
  "DriverOnly=0" \
  "WebSetup=0" \
  "InstallWDMDriver=0" \
  "" \
  "[Default]" \
  "UsingCDDA=1"

cp "$companion" "$disc/Setup.exe"
cp "$companion" "$disc/W2K-ME/app/Setup.exe"

drv=$disc/W2K-ME/drv
crlf "$drv/QXAUDIO.INF" \
  "; Sample driver package for the PCI audio controller." \
  "[Version]" \
  'Signature="$Windows NT$"' \
  "Class=MEDIA" \
  "ClassGUID={4d36e96c-e325-11ce-bfc1-08002be10318}" \
  "Provider=%MfgName%" \
  "CatalogFile=QXAUDIO.CAT" \
  "DriverVer=01/15/2001,5.12.01.0004" \
  "" \
  "[Manufacturer]" \
  "%MfgName%=QxDevices" \
  "" \
  "[QxDevices]" \
  '%WDM_QXPCI.DeviceDesc%=QXPCI.Install,PCI\VEN_1A4F&DEV_4710' \
  "" \
  "[QXPCI.Install]" \
  "CopyFiles=QXPCI.CopyList" \
  "AddReg=QXPCI.AddReg" \
  "" \
  "[QXPCI.CopyList]" \
  "QXAUDIO.SYS" \
  "" \
  "[QXPCI.AddReg]" \
  'HKR,"Settings","EnableLegacy",    0x00010001,0x03,0,0,0' \
  'HKR,"Settings","JackConfig",      0x00010001,0x05,0,0,0' \
  "" \
  "[Strings]" \
  'MfgName="Quarnex"' \
  'WDM_QXPCI.DeviceDesc="QXI4710 PCI Audio Controller (WDM)"' \
  'WDM_QXPCI.Wave.szPname="QXAUDIO Wave"' \
  'VDX-Legacy.DeviceDesc="QXI4710 Legacy Audio Device"'
printf 'QXAUDIO.SYS sample driver image\r\n' >"$drv/QXAUDIO.SYS"
printf 'QXAUDIO.CAT sample catalog\r\n' >"$drv/QXAUDIO.CAT"
cp "$companion" "$drv/Mixer.dat"
cp "$program" "$drv/W2KSetup.dat"

dos=$disc/Dosdrv
printf 'QXDOS.SYS sample DOS driver\r\n' >"$dos/QXDOS.SYS"
crlf "$dos/QXDOS.INI" "[QXDOS]" "Port=220" "Irq=5" "Dma=1"
printf 'QXMIX.EXE sample DOS mixer\r\n' >"$dos/DOSAPP/QXMIX.EXE"
printf 'QXPLAY.EXE sample DOS player\r\n' >"$dos/DOSAPP/QXPLAY.EXE"

echo "make-disc: sample disc in $disc"
