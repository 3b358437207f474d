#!/usr/bin/env bash
# Installs the packages the build, the tests and the demo need, when missing.
set -euo pipefail

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev googletest)
command -v i686-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-i686)
command -v x86_64-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-x86-64)
command -v i686-w64-mingw32-objdump >/dev/null || need+=(binutils-mingw-w64-i686)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v import >/dev/null || need+=(imagemagick)
command -v xwininfo >/dev/null || need+=(x11-utils)
command -v python3 >/dev/null || need+=(python3)
command -v ccache >/dev/null || need+=(ccache)
# The fuzz targets: clang 16 (the first of Debian's with std::source_location,
# which the fake machine uses) with libFuzzer and the sanitizer runtimes.
command -v clang++-16 >/dev/null || need+=(clang-16)
compgen -G '/usr/lib/llvm-16/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
  need+=(libclang-rt-16-dev)
[ -x /usr/lib/wine/wine64 ] || need+=(wine wine64)
if ! dpkg -s wine32:i386 >/dev/null 2>&1; then
  need+=(wine32:i386)
fi
# The 32-bit lane (tools/setup-wine32-lane.sh) where the kernel runs no 32-bit
# programs: qemu-user, and Wine's 32-bit preloader (a "Recommends" of wine32).
if ! timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1; then
  command -v qemu-i386-static >/dev/null || need+=(qemu-user-static)
  dpkg -s wine32-preloader:i386 >/dev/null 2>&1 || need+=(wine32-preloader:i386)
fi
dpkg -s fonts-wqy-microhei >/dev/null 2>&1 || need+=(fonts-wqy-microhei)
grep -q '^ja_JP.UTF-8' /etc/locale.gen 2>/dev/null || need+=(locales)

if [ ${#need[@]} -eq 0 ]; then
  exec "$(dirname "$0")/setup-wine32-lane.sh"
fi
echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -q i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq "${need[@]}" >/dev/null

# Locales for the dialog templates in other languages.
if [ -f /etc/locale.gen ]; then
  for l in ja_JP.UTF-8 zh_TW.UTF-8 fr_FR.UTF-8 ko_KR.UTF-8 en_US.UTF-8; do
    grep -q "^$l" /etc/locale.gen || echo "$l UTF-8" >>/etc/locale.gen
  done
  locale-gen >/dev/null
fi

exec "$(dirname "$0")/setup-wine32-lane.sh"
