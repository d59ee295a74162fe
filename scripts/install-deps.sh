#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian/Ubuntu machine (run as root,
# or with sudo available). Safe to run again: it installs only what is missing.
#   install-deps.sh native   host compiler, CMake, GoogleTest, Benchmark, clang
#   install-deps.sh wine64   + mingw cross compilers, wine64, Xvfb, fonts, screenshots
#   install-deps.sh wine32   + 32-bit wine through qemu-user (slow; for the i686 build)
set -euo pipefail
level=${1:-wine64}
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

need=()
want() { for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || need+=("$p"); done; }

want cmake g++ make python3 libgtest-dev libgmock-dev googletest libbenchmark-dev clang libclang-rt-dev
if [ "$level" != native ]; then
  want g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 xvfb imagemagick x11-utils xdotool \
       fonts-wqy-zenhei fonts-wine locales
fi
if [ "$level" = wine32 ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  want wine wine32:i386 qemu-user-static
fi

updated_lists=""
install_needed() {
  [ ${#need[@]} -gt 0 ] || return 0
  export DEBIAN_FRONTEND=noninteractive
  [ -n "$updated_lists" ] || { $SUDO apt-get update -qq; updated_lists=1; }
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  need=()
}
install_needed

# clang's libFuzzer and sanitizer runtimes are only recommended by clang on Debian 12.
clang_major=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
if [ -n "$clang_major" ] && apt-cache show "libclang-rt-$clang_major-dev" >/dev/null 2>&1; then
  want "libclang-rt-$clang_major-dev"
  install_needed
fi

if [ "$level" != native ]; then
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
    $SUDO sed -i 's/^# *zh_CN.UTF-8/zh_CN.UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
fi

if [ "$level" = wine32 ]; then
  # 32-bit ELF execution is switched off in this kernel: run i386 binaries through qemu-user.
  mountpoint -q /proc/sys/fs/binfmt_misc || $SUDO mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      | $SUDO tee /proc/sys/fs/binfmt_misc/register >/dev/null
  fi
fi
