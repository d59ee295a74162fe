#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian/Ubuntu machine (run as root,
# or with sudo available). Safe to run again: it installs only what is missing.
#   install-deps.sh native   host compiler, CMake, GoogleTest, Benchmark, clang
#   install-deps.sh wine64   + mingw cross compilers, wine64, Xvfb, fonts, screenshots
#   install-deps.sh wine32   + 32-bit wine through qemu-user (slow; for the i686 build)
# Each level is installed on its own, lowest first: a level that cannot be installed (a
# mirror serving a broken index for one architecture, say) leaves the levels below it
# installed, and the script exits non-zero.
set -euo pipefail
level=${1:-wine64}
case "$level" in native | wine64 | wine32) ;; *) echo "install-deps: unknown level $level" >&2; exit 2 ;; esac
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

need=()
want() { for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || need+=("$p"); done; }

# apt-get update fails as a whole when any one index fails (a mirror in the middle of a sync
# serves an index whose size disagrees with its Release file). Try again after a pause; if it
# still fails, go on with the lists apt did get: the install itself says whether they suffice.
updated_lists=""
update_lists() {
  [ -z "$updated_lists" ] || return 0
  updated_lists=1
  local try
  for try in 1 2 3; do
    $SUDO apt-get update -qq && return 0
    [ "$try" = 3 ] || sleep $((try * 15))
  done
  echo "install-deps: apt-get update failed for some index; going on with the lists it got" >&2
}
install_needed() {  # what
  [ ${#need[@]} -gt 0 ] || return 0
  update_lists
  if ! $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null; then
    echo "install-deps: could not install $1: ${need[*]}" >&2
    exit 1
  fi
  need=()
}

want cmake g++ make python3 libgtest-dev libgmock-dev googletest libbenchmark-dev clang libclang-rt-dev
install_needed "the native tools"

# clang's libFuzzer and sanitizer runtimes are only recommended by clang on Debian 12.
clang_major=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
if [ -n "$clang_major" ] && apt-cache show "libclang-rt-$clang_major-dev" >/dev/null 2>&1; then
  want "libclang-rt-$clang_major-dev"
  install_needed "clang's runtimes"
fi
[ "$level" != native ] || exit 0

want g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 xvfb imagemagick x11-utils xdotool \
     fonts-wqy-zenhei fonts-wine locales
install_needed "the Windows cross tools and wine64"
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  $SUDO sed -i 's/^# *zh_CN.UTF-8/zh_CN.UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
[ "$level" != wine64 ] || exit 0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  updated_lists=""  # the i386 lists are new
fi
want wine wine32:i386 qemu-user-static
install_needed "32-bit wine"
# qemu-user runs the i386 binaries (this kernel has 32-bit execution switched off): it is
# registered for them where a 32-bit program is first started (varnex_binfmt_ensure,
# scripts/wine-env.sh).
