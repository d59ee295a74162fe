# Source this file to run Varnex's Windows builds under Wine on Linux:
#   . scripts/wine-env.sh
#   varnex_xvfb_start                 # a virtual display when DISPLAY is unset
#   varnex_wine64 build/win64/Varnex.exe
#   varnex_wine32 build/win32/varnex_wintests.exe   # 32-bit, through qemu-user: slow
#   varnex_wine_cleanup               # wineserver -k for our prefix, then stop our Xvfb
#
# One WoW64 prefix serves both architectures: wine64 runs the 64-bit programs, the 32-bit
# loader (under qemu-i386 here, as this kernel cannot execute i386 code) runs the 32-bit
# ones against the same wineserver. It is created once (a few minutes) and reused.
# A WINEPREFIX already set by the caller is kept.

VARNEX_ROOT=${VARNEX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$VARNEX_ROOT/build/wine-prefix}
export LANG=zh_CN.UTF-8
unset LC_ALL

if command -v wine64 >/dev/null 2>&1; then
  VARNEX_WINE64=$(command -v wine64)
else
  VARNEX_WINE64=/usr/lib/wine/wine64
fi
VARNEX_WINE32=${VARNEX_WINE32:-wine}
VARNEX_WINESERVER=${VARNEX_WINESERVER:-wineserver}

# Mounts binfmt_misc and registers qemu-i386 for i386 ELF files when missing (needs root).
varnex_binfmt_ensure() {
  local sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  mountpoint -q /proc/sys/fs/binfmt_misc ||
    $sudo mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || return 1
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
      $sudo tee /proc/sys/fs/binfmt_misc/register >/dev/null || return 1
  fi
}

# Creates the prefix on first use; later calls return at once. A prefix whose creation
# was interrupted (no system.reg) is made again.
varnex_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.varnex-ready" ] && return 0
  mkdir -p "$WINEPREFIX"
  # wineboot starts the 32-bit half of the prefix through the i386 loader.
  [ -x /usr/lib/wine/wine ] && { varnex_binfmt_ensure || true; }
  echo "wine-env: creating the Wine prefix $WINEPREFIX (once; a few minutes)" >&2
  local t0=$SECONDS
  "$VARNEX_WINE64" wineboot -i >/dev/null 2>&1 || true
  "$VARNEX_WINESERVER" -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-env: wineboot failed" >&2; return 1; }
  touch "$WINEPREFIX/.varnex-ready"
  echo "wine-env: prefix ready in $((SECONDS - t0)) s" >&2
}

# Starts Xvfb on a free display when DISPLAY is unset; sets DISPLAY and VARNEX_XVFB_PID.
# VARNEX_DISPLAY picks the first display number to try.
varnex_xvfb_start() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=${VARNEX_DISPLAY:-95}
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  VARNEX_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$VARNEX_XVFB_PID" 2>/dev/null || { echo "wine-env: Xvfb :$n did not start" >&2; unset VARNEX_XVFB_PID; return 1; }
    sleep 0.1
  done
  export DISPLAY=":$n"
}

# Stops the Xvfb that varnex_xvfb_start started (and only that one).
varnex_xvfb_stop() {
  if [ -n "${VARNEX_XVFB_PID:-}" ]; then
    kill "$VARNEX_XVFB_PID" 2>/dev/null
    wait "$VARNEX_XVFB_PID" 2>/dev/null
    unset VARNEX_XVFB_PID DISPLAY
  fi
  return 0
}

# Runs a 64-bit Windows program; its exit status is the program's.
varnex_wine64() {
  varnex_wine_prefix || return 1
  "$VARNEX_WINE64" "$@"
}

# Runs a 32-bit Windows program through the i386 loader (qemu-user here: each start
# costs about a minute, so batch work into one run).
varnex_wine32() {
  varnex_binfmt_ensure || return 1
  varnex_wine_prefix || return 1
  "$VARNEX_WINE32" "$@"
}

# Ends this prefix's Wine processes only.
varnex_wine_stop() {
  [ -d "$WINEPREFIX" ] && "$VARNEX_WINESERVER" -k 2>/dev/null
  return 0
}

varnex_wine_cleanup() {
  varnex_wine_stop
  varnex_xvfb_stop
}
