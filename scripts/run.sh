#!/usr/bin/env bash
# Builds Varnex.exe and starts it (usage below).
usage() {
  cat <<'EOF'
Builds Varnex.exe and starts it.
  scripts/run.sh [--win32] [--seconds N] [--shot FILE] [--exe FILE] [--dpi N]

Debian/Ubuntu: installs what is missing (scripts/install-deps.sh), cross-builds the 64-bit
program (the 32-bit one with --win32, run through qemu-user: slow) and runs it under Wine
with the zh_CN.UTF-8 locale in the project's own Wine prefix under build/. With a DISPLAY
the program runs until its window is closed. Without one, a private Xvfb is started, the
program runs N seconds (default 8), a screenshot is saved (default
build/screenshots/varnex.png) and everything the script started is stopped. --exe runs an
already built Varnex.exe (of either architecture) and skips the install and the build.
--dpi shows it on a display of N dots per inch (120 is 125 %, 144 is 150 %, 192 is 200 %),
in a 64-bit Wine prefix of its own (build/wine-prefix-<N>dpi).

Windows (Git Bash / MSYS2 with a MinGW g++ and CMake on the PATH): builds natively and
starts the program directly.
EOF
}
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
arch=win64
exe=""
seconds=8
shot=$ROOT/build/screenshots/varnex.png
dpi=""

while [ $# -gt 0 ]; do
  case $1 in
    --win32) arch=win32 ;;
    --seconds) seconds=${2:?--seconds needs a number}; shift ;;
    --shot) shot=${2:?--shot needs a file name}; shift ;;
    --exe) exe=${2:?--exe needs a file name}; shift ;;
    --dpi) dpi=${2:?--dpi needs a number}; shift ;;
    -h | --help) usage; exit 0 ;;
    *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done

case $(uname -s) in
  MINGW* | MSYS* | CYGWIN*)
    build=$ROOT/build/run-windows
    cmake -S "$ROOT" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARNEX_TESTS=OFF
    cmake --build "$build" --target Varnex -j 2
    exec "$build/Varnex.exe"
    ;;
esac

if [ -n "$exe" ]; then
  [ -f "$exe" ] || { echo "run.sh: $exe does not exist" >&2; exit 2; }
  . "$ROOT/scripts/wine-env.sh"
  [ "$(varnex_pe_machine "$exe")" = i386 ] && arch=win32
else
  if [ "$arch" = win32 ]; then
    bash "$ROOT/scripts/install-deps.sh" wine32
    toolchain=$ROOT/cmake/toolchain-i686-w64-mingw32.cmake
  else
    bash "$ROOT/scripts/install-deps.sh" wine64
    toolchain=$ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake
  fi

  build=$ROOT/build/run-$arch
  cmake -S "$ROOT" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DVARNEX_TESTS=OFF >/dev/null
  cmake --build "$build" --target Varnex -j 2
  exe=$build/Varnex.exe
fi

# WINEPREFIX (build/wine-prefix unless set), WINEDEBUG=-all, WINEDLLOVERRIDES, LANG=zh_CN.UTF-8,
# and the Xvfb helpers.
. "$ROOT/scripts/wine-env.sh"
if [ -n "$dpi" ]; then
  varnex_scaled_prefix "$ROOT/build/wine-prefix-${dpi}dpi" "$dpi"
  export WINEPREFIX=$ROOT/build/wine-prefix-${dpi}dpi
fi
if [ "$arch" = win32 ]; then varnex_wine_prefix 32; else varnex_wine_prefix 64; fi

run_wine() {
  if [ "$arch" = win32 ]; then varnex_wine32 "$@"; else varnex_wine64 "$@"; fi
}

if [ -n "${DISPLAY:-}" ]; then
  run_wine "$exe"
  exit $?
fi

# Headless: a private display, a screenshot, and nothing left running.
x11_key='HKCU\Software\Wine\X11 Driver'
program_pid=""
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  "$VARNEX_WINE64" reg delete "$x11_key" /v Decorated /f >/dev/null 2>&1 || true
  varnex_wine_cleanup
}
trap cleanup EXIT

varnex_xvfb_start
# There is no window manager on the private display: Wine draws the window frames itself,
# so the caption shows on the screenshot.
"$VARNEX_WINE64" reg add "$x11_key" /v Decorated /d N /f >/dev/null 2>&1 || true

run_wine "$exe" &
program_pid=$!
# A 32-bit start under qemu takes about a minute before the window appears.
if [ "$arch" = win32 ]; then seconds=$((seconds + 60)); fi
sleep "$seconds"
if ! kill -0 "$program_pid" 2>/dev/null; then
  status=0
  wait "$program_pid" || status=$?
  echo "run.sh: Varnex.exe ended early (status $status)" >&2
  program_pid=""
  exit 1
fi
mkdir -p "$(dirname "$shot")"
import -window root "$shot"
echo "run.sh: screenshot saved to $shot"
