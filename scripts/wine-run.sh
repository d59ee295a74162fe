#!/usr/bin/env bash
# Runs one Windows program under Wine and returns its exit status:
#   scripts/wine-run.sh [--timeout SECONDS] PROGRAM.exe [ARGS...]
# The loader follows the program's machine type (wine64 for x86-64, the i386 loader through
# qemu-user for i386). Starts a private Xvfb when DISPLAY is unset, and on leaving ends this
# prefix's Wine processes and that Xvfb. Used by ctest in the Windows builds and by test.sh.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

limit=0
if [ "${1:-}" = --timeout ]; then
  limit=$2
  shift 2
fi
exe=${1:?usage: wine-run.sh [--timeout SECONDS] PROGRAM.exe [ARGS...]}
shift

case $(varnex_pe_machine "$exe") in
  x86_64) loader=$VARNEX_WINE64 bits=64 ;;
  i386)
    varnex_binfmt_ensure || exit 1
    loader=$VARNEX_WINE32 bits=32
    ;;
  *) echo "wine-run: $exe is not a PE program for i386 or x86-64" >&2; exit 2 ;;
esac

started_xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  varnex_xvfb_start || exit 1
  started_xvfb=1
fi
cleanup() {
  [ -n "${KEEP_WINESERVER:-}" ] || varnex_wine_stop
  [ -n "$started_xvfb" ] && varnex_xvfb_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

varnex_wine_prefix "$bits" || exit 1
if [ "$limit" -gt 0 ]; then
  timeout -k 15 "$limit" "$loader" "$exe" "$@"
  rc=$?
  [ $rc = 124 ] && echo "wine-run: $exe timed out after $limit s" >&2
  exit $rc
fi
"$loader" "$exe" "$@"
