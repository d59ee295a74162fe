#!/usr/bin/env bash
# Checks the Wine prefix logic of scripts/wine-env.sh without Wine: a stand-in wineboot
# writes (or fails to write) the files a real one leaves, and a stand-in server fails as a
# real one does with no server running. The functions run under "set -e", as run.sh calls
# them. Prints "N passed, N failed".
set -u
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export VARNEX_ROOT=$work/project WINEPREFIX=$work/project/build/wine-prefix
export VARNEX_WINE_CACHE=$work/cache
# Stand-ins: the loader's "wineboot -i" makes a prefix with both halves, or only the 64-bit
# one when HALF=64, or nothing when HALF=none; the server does nothing.
mkdir -p "$work/bin"
cat >"$work/bin/wine64" <<'SH'
#!/bin/sh
[ "$HALF" = none ] && exit 1
w=$WINEPREFIX/drive_c/windows
mkdir -p "$w/system32" "$w/syswow64" && touch "$WINEPREFIX/system.reg" "$w/system32/kernel32.dll"
[ "$HALF" = 64 ] || touch "$w/syswow64/kernel32.dll"
SH
printf '#!/bin/sh\nexit 1\n' >"$work/bin/wineserver"
chmod +x "$work/bin/"*
export VARNEX_WINE64=$work/bin/wine64 VARNEX_WINE32=$work/bin/wine64 VARNEX_WINESERVER=$work/bin/wineserver
. "$ROOT/scripts/wine-env.sh"
varnex_binfmt_ensure() { :; }

passed=0 failed=0
# Runs a wine-env function as a "set -e" script would.
strict() { (set -e; "$@"); }
check() {  # description command...
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $what"; fi
}
lacks() { [ -n "$(varnex_wine_prefix_lacks "$@")" ]; }
serves() { [ -z "$(varnex_wine_prefix_lacks "$@")" ]; }

p=$work/manual
mkdir -p "$p/drive_c/windows/system32" "$p/drive_c/windows/syswow64"
check "an empty folder is no prefix" lacks "$p" 64
touch "$p/system.reg" "$p/drive_c/windows/system32/kernel32.dll"
check "a 64-bit prefix serves 64-bit programs" serves "$p" 64
check "a 64-bit prefix is refused for 32-bit programs" lacks "$p" 32
touch "$p/drive_c/windows/syswow64/kernel32.dll"
check "a WoW64 prefix serves 32-bit programs" serves "$p" 32

HALF=64 strict varnex_wine_prefix 64 2>/dev/null
check "a missing prefix is made" serves "$WINEPREFIX" 64
echo keep >"$WINEPREFIX/marker"
msg=$(HALF=none strict varnex_wine_prefix 32 2>&1)
check "a failed remake leaves the old prefix in place" test -f "$WINEPREFIX/marker"
check "a failed remake says so" grep -q 'wineboot failed' <<<"$msg"
check "a failed remake leaves no temporary folder" test -z "$(ls -d "$WINEPREFIX".new-* 2>/dev/null)"
msg=$(HALF=both strict varnex_wine_prefix 32 2>&1)
check "a prefix without its 32-bit half is made again" serves "$WINEPREFIX" 32
check "... in one line that says why" test "$(grep -c 'lacks its 32-bit half' <<<"$msg")" = 1
check "... replacing the old one" test ! -f "$WINEPREFIX/marker"

rm -rf "$WINEPREFIX"
msg=$(HALF=none strict varnex_wine_prefix 32 2>&1)
check "a new prefix is copied from the machine's template" serves "$WINEPREFIX" 32
check "... without booting Wine" grep -q "from $work/cache" <<<"$msg"
echo changed >>"$WINEPREFIX/system.reg"
check "... and writing to the registry leaves the template alone" \
  test ! -s "$(varnex_wine_template)/system.reg"

own=$work/own-prefix
mkdir -p "$own"
msg=$(WINEPREFIX=$own strict varnex_wine_prefix 64 2>&1)
check "a caller's own lacking prefix is refused" test $? -ne 0 -a -n "$msg"
check "... and kept" test -d "$own" -a ! -e "$own/system.reg"

msg=$(VARNEX_WINE32="" varnex_wine_require 32 2>&1)
check "a missing 32-bit loader is named in one line" test "$(wc -l <<<"$msg")" = 1 -a -n "$msg"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
