# Source this file to run Varnex's Windows builds under Wine on Linux:
#   . scripts/wine-env.sh
#   varnex_xvfb_start                 # a virtual display when DISPLAY is unset
#   varnex_wine64 build/win64/Varnex.exe
#   varnex_wine32 build/win32/varnex_wintests.exe   # 32-bit, through qemu-user: slow
#   varnex_wine_cleanup               # wineserver -k for our prefix, then stop our Xvfb
#
# One WoW64 prefix serves both architectures: the 64-bit loader runs the 64-bit programs, the
# 32-bit loader (under qemu-i386 here, as this kernel cannot execute i386 code) runs the 32-bit
# ones against the same server. It is made once (a few minutes), in a temporary folder that is
# renamed only when complete, and checked before every use. A WINEPREFIX set by the caller is
# kept.

VARNEX_ROOT=${VARNEX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
VARNEX_DEFAULT_PREFIX=$VARNEX_ROOT/build/wine-prefix

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$VARNEX_DEFAULT_PREFIX}
export LANG=zh_CN.UTF-8
unset LC_ALL

# Prints the first executable file of an installed Debian package whose path matches an
# extended regex.
varnex_pkg_file() {  # package regex
  command -v dpkg-query >/dev/null 2>&1 || return 1
  local f
  for f in $(dpkg-query -L "$1" 2>/dev/null | grep -E "$2"); do
    [ -f "$f" ] && [ -x "$f" ] && { echo "$f"; return 0; }
  done
  return 1
}

# Finds Wine's programs by what the installed packages provide, not by what the PATH holds
# (with only the wine64 package nothing named wineserver is on the PATH). Sets
# VARNEX_WINE64 (64-bit loader), VARNEX_WINE32 (32-bit loader) and VARNEX_WINESERVER;
# each is empty when not installed. Values set by the caller are kept.
varnex_wine_find() {
  local f
  if [ -z "${VARNEX_WINE64:-}" ]; then
    VARNEX_WINE64=$(varnex_pkg_file wine64 '/wine/wine64$') ||
      for f in /usr/lib/wine/wine64 /usr/lib64/wine/wine64 "$(command -v wine64 2>/dev/null)"; do
        [ -n "$f" ] && [ -x "$f" ] && { VARNEX_WINE64=$f; break; }
      done
  fi
  if [ -z "${VARNEX_WINE32:-}" ]; then
    VARNEX_WINE32=$(varnex_pkg_file wine32:i386 '/wine/wine$') ||
      for f in /usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine; do
        [ -x "$f" ] && { VARNEX_WINE32=$f; break; }
      done
  fi
  if [ -z "${VARNEX_WINESERVER:-}" ]; then
    VARNEX_WINESERVER=$(varnex_pkg_file wine64 '/wine/wineserver(64)?$') ||
      VARNEX_WINESERVER=$(varnex_pkg_file wine32:i386 '/wine/wineserver(32)?$') ||
      for f in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver32 /usr/lib/wine/wineserver \
               "$(command -v wineserver 2>/dev/null)"; do
        [ -n "$f" ] && [ -x "$f" ] && { VARNEX_WINESERVER=$f; break; }
      done
  fi
  # Both loaders start this server when none runs for the prefix.
  [ -n "${VARNEX_WINESERVER:-}" ] && export WINESERVER=$VARNEX_WINESERVER
  return 0
}
varnex_wine_find

# Names a missing Wine program in one line; "32" asks for the 32-bit loader as well.
varnex_wine_require() {  # [64|32]
  local hint="install it with: bash $VARNEX_ROOT/scripts/install-deps.sh"
  [ -n "${VARNEX_WINE64:-}" ] || { echo "wine-env: the 64-bit Wine loader (package wine64) is missing; $hint wine64" >&2; return 1; }
  [ -n "${VARNEX_WINESERVER:-}" ] || { echo "wine-env: the Wine server (package wine64) is missing; $hint wine64" >&2; return 1; }
  [ "${1:-64}" != 32 ] || [ -n "${VARNEX_WINE32:-}" ] ||
    { echo "wine-env: the 32-bit Wine loader (package wine32:i386) is missing; $hint wine32" >&2; return 1; }
}

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

# Prints "i386", "x86_64" or "unknown" from a PE file's machine field.
varnex_pe_machine() {  # file
  local lfanew machine
  lfanew=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$lfanew" ] || { echo unknown; return; }
  machine=$(od -An -tx2 -j$((lfanew + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case $machine in
    014c) echo i386 ;;
    8664) echo x86_64 ;;
    *) echo unknown ;;
  esac
}

# Says why a prefix cannot serve (nothing when it can); "32" asks for the 32-bit half too.
varnex_wine_prefix_lacks() {  # dir [64|32]
  local dir=$1 win=$1/drive_c/windows
  if [ ! -f "$dir/system.reg" ] || [ ! -f "$win/system32/kernel32.dll" ]; then
    echo "is incomplete"
  elif [ "${2:-64}" = 32 ] && [ ! -f "$win/syswow64/kernel32.dll" ]; then
    echo "lacks its 32-bit half (made before 32-bit Wine was installed)"
  fi
}

# This machine's pristine prefix for the installed Wine: a new prefix is copied from it in
# seconds instead of being booted for minutes (clean clones, a deleted build folder).
varnex_wine_template() {
  local version
  version=$("$VARNEX_WINE64" --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' _)
  echo "${VARNEX_WINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/varnex}/wine-prefix-${version:-unknown}"
}

# Copies a prefix: the system folders are hard links (Wine never writes to its installed
# programs and libraries), everything else (registry, profile, settings) real copies.
varnex_copy_prefix() {  # from to
  local sys
  mkdir -p "$2" && cp -a "$1/." "$2/" || return 1
  for sys in system32 syswow64; do
    [ -d "$1/drive_c/windows/$sys" ] || continue
    rm -rf "$2/drive_c/windows/$sys" && cp -al "$1/drive_c/windows/$sys" "$2/drive_c/windows/" || return 1
  done
}

# Keeps a copy of a freshly booted prefix as this machine's template (best effort).
varnex_save_template() {  # prefix template
  mkdir -p "$(dirname "$2")" || return 0
  (
    flock 8
    rm -rf "$2.new"
    varnex_copy_prefix "$1" "$2.new" && rm -rf "$2" && mv -T "$2.new" "$2" || rm -rf "$2.new"
  ) 8>"$2.lock"
  return 0
}

# Makes sure WINEPREFIX can run the caller's programs: 64-bit always, 32-bit too with "32".
# A missing or lacking prefix is made anew in DIR.new-PID (from this machine's template when
# it serves, else by wineboot, which then leaves a template) and renamed into place only when
# complete, so an interrupted creation leaves nothing that a later command would trust. A
# caller's own prefix is never removed: when it lacks something, the caller is told so.
varnex_wine_prefix() {  # [64|32]
  local need=${1:-64}
  varnex_wine_require "$need" || return 1
  [ -z "$(varnex_wine_prefix_lacks "$WINEPREFIX" "$need")" ] && return 0
  [ "$need" = 32 ] && { varnex_binfmt_ensure || return 1; }
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    # One maker at a time; a second caller waits, then finds the prefix ready.
    flock 9
    final=$WINEPREFIX
    why=$(varnex_wine_prefix_lacks "$final" "$need")
    [ -z "$why" ] && exit 0
    if [ -e "$final" ]; then
      if [ "$final" != "$VARNEX_DEFAULT_PREFIX" ] && [ ! -f "$final/.varnex-ready" ]; then
        echo "wine-env: the Wine prefix $final $why; remove it or choose another WINEPREFIX" >&2
        exit 1
      fi
      echo "wine-env: the Wine prefix $final $why: making it again" >&2
    fi
    rm -rf "$final".new-*
    tmp=$final.new-$$
    mkdir -p "$tmp"
    t0=$SECONDS
    tpl=$(varnex_wine_template)
    if [ -z "$(varnex_wine_prefix_lacks "$tpl" "$need")" ]; then
      echo "wine-env: creating the Wine prefix $final from $tpl" >&2
      varnex_copy_prefix "$tpl" "$tmp" || true
    else
      # With the 32-bit loader installed, wineboot also makes the 32-bit half (through
      # qemu-i386 here), so binfmt must be ready first.
      [ -n "$VARNEX_WINE32" ] && { varnex_binfmt_ensure || true; }
      echo "wine-env: creating the Wine prefix $final (once; a few minutes)" >&2
      WINEPREFIX=$tmp "$VARNEX_WINE64" wineboot -i >/dev/null 2>&1 || true
      WINEPREFIX=$tmp "$VARNEX_WINESERVER" -w || true
      [ -z "$(varnex_wine_prefix_lacks "$tmp" "$need")" ] && varnex_save_template "$tmp" "$tpl"
    fi
    why=$(varnex_wine_prefix_lacks "$tmp" "$need")
    if [ -n "$why" ]; then
      echo "wine-env: wineboot failed: the new prefix $why" >&2
      rm -rf "$tmp"
      exit 1
    fi
    touch "$tmp/.varnex-ready"
    if [ -e "$final" ]; then
      WINEPREFIX=$final "$VARNEX_WINESERVER" -k 2>/dev/null || true
      mv "$final" "$final.old-$$" && rm -rf "$final.old-$$"
    fi
    mv -T "$tmp" "$final" || exit 1
    echo "wine-env: prefix ready in $((SECONDS - t0)) s" >&2
  ) 9>"$WINEPREFIX.lock"
}

# A 64-bit prefix of its own in DIR whose display reads DPI dots per inch (LogPixels), as a
# display set to another scale: copied from this machine's pristine prefix (else from
# WINEPREFIX) once, then kept.
varnex_scaled_prefix() {  # dir dpi
  local dir=$1 dpi=$2 from
  [ -f "$dir/.varnex-dpi-$dpi" ] && [ -z "$(varnex_wine_prefix_lacks "$dir")" ] && return 0
  from=$(varnex_wine_template)
  if [ -n "$(varnex_wine_prefix_lacks "$from")" ]; then
    varnex_wine_prefix 64 || return 1
    from=$WINEPREFIX
  fi
  rm -rf "$dir" && varnex_copy_prefix "$from" "$dir" || return 1
  WINEPREFIX=$dir "$VARNEX_WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
    /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || return 1
  WINEPREFIX=$dir "$VARNEX_WINESERVER" -w || true
  touch "$dir/.varnex-dpi-$dpi"
}

# Starts Xvfb on a free display when DISPLAY is unset; sets DISPLAY and VARNEX_XVFB_PID.
# VARNEX_DISPLAY picks the first display number to try. A display whose lock file is
# elsewhere (another chroot, another mount namespace) makes Xvfb exit: the next is tried.
varnex_xvfb_start() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=${VARNEX_DISPLAY:-95} tries i
  for tries in $(seq 1 20); do
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    VARNEX_XVFB_PID=$!
    for i in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$VARNEX_XVFB_PID" 2>/dev/null; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$VARNEX_XVFB_PID" 2>/dev/null || break
      sleep 0.1 || true
    done
    kill "$VARNEX_XVFB_PID" 2>/dev/null || true
    wait "$VARNEX_XVFB_PID" 2>/dev/null || true
    n=$((n + 1))
  done
  unset VARNEX_XVFB_PID
  echo "wine-env: Xvfb did not start (tried 20 displays from ${VARNEX_DISPLAY:-95})" >&2
  return 1
}

# Stops the Xvfb that varnex_xvfb_start started (and only that one).
varnex_xvfb_stop() {
  if [ -n "${VARNEX_XVFB_PID:-}" ]; then
    kill "$VARNEX_XVFB_PID" 2>/dev/null || true
    wait "$VARNEX_XVFB_PID" 2>/dev/null || true
    unset VARNEX_XVFB_PID DISPLAY
  fi
  return 0
}

# Runs a 64-bit Windows program; its exit status is the program's.
varnex_wine64() {
  varnex_wine_prefix 64 || return 1
  "$VARNEX_WINE64" "$@"
}

# Runs a 32-bit Windows program through the i386 loader (qemu-user here: each start
# costs about a minute, so batch work into one run).
varnex_wine32() {
  varnex_wine_prefix 32 || return 1
  varnex_binfmt_ensure || return 1
  "$VARNEX_WINE32" "$@"
}

# Ends this prefix's Wine processes only.
varnex_wine_stop() {
  [ -d "$WINEPREFIX" ] && [ -n "${VARNEX_WINESERVER:-}" ] && "$VARNEX_WINESERVER" -k 2>/dev/null || true
}

varnex_wine_cleanup() {
  varnex_wine_stop
  varnex_xvfb_stop
}
