#!/usr/bin/env bash
# Varnex's own cost under Wine, side by side with a yardstick: Varnex.exe (64-bit, default
# refresh speed) and bench/msgloop_minimal.cpp (a message loop with a 1-second timer) run
# together for DURATION seconds (default 60) under one wine64 prefix. For each, the CPU
# seconds (user + system, from /proc/<pid>/stat) over the whole run and over its steady part
# (after the first 10 s), and the peak resident memory (VmHWM), then the ratios.
#   scripts/own-cost.sh [--write]   --write puts the table into docs/performance.md
# Builds into build/bench-win64 and uses the prefix build/bench-prefix (created once, about
# two minutes) and an Xvfb display of its own (:97 or the next free one).
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DURATION=${DURATION:-60}
WARMUP=10
write=""
[ "${1:-}" = --write ] && write=1
BUILD=$ROOT/build/bench-win64
LOGS=$ROOT/build/bench-logs
mkdir -p "$LOGS"

export WINEPREFIX=${OWN_COST_PREFIX:-$ROOT/build/bench-prefix}
VARNEX_DISPLAY=${VARNEX_DISPLAY:-97}
. "$ROOT/scripts/wine-env.sh"

echo "own-cost: building Varnex.exe (build/bench-win64)"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVARNEX_TESTS=ON >"$LOGS/own-cost-build.log" 2>&1 &&
  cmake --build "$BUILD" -j 2 --target Varnex >>"$LOGS/own-cost-build.log" 2>&1 ||
  { echo "own-cost: build failed: $LOGS/own-cost-build.log" >&2; exit 1; }
x86_64-w64-mingw32-g++ -std=c++20 -O2 -municode -mwindows -static -s \
  "$ROOT/bench/msgloop_minimal.cpp" -o "$BUILD/msgloop_minimal.exe" ||
  { echo "own-cost: the yardstick did not build" >&2; exit 1; }

varnex_wine_prefix || exit 1
varnex_xvfb_start || exit 1
cleanup() { [ -n "${pids:-}" ] && kill $pids 2>/dev/null; varnex_wine_cleanup; }
trap cleanup EXIT
# The Wine server and the prefix's own processes start before the clock does.
"$VARNEX_WINESERVER" -p60 2>/dev/null
"$VARNEX_WINE64" cmd /c exit >/dev/null 2>&1

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
hwm_kb() { awk '/^VmHWM/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
# The Wine server of this prefix (others may run servers of their own prefixes).
server_pid=""
for p in $(pgrep '^wineserver' 2>/dev/null); do
  if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
    server_pid=$p
  fi
done

"$VARNEX_WINE64" "$BUILD/Varnex.exe" >"$LOGS/own-cost-varnex.log" 2>&1 &
varnex=$!
"$VARNEX_WINE64" "$BUILD/msgloop_minimal.exe" >"$LOGS/own-cost-yardstick.log" 2>&1 &
yard=$!
pids="$varnex $yard"
hz=$(getconf CLK_TCK)
sleep "$WARMUP"
v0=$(cpu_ticks $varnex) y0=$(cpu_ticks $yard)
s0=0
[ -n "$server_pid" ] && s0=$(cpu_ticks "$server_pid")
sleep $((DURATION - WARMUP))
v1=$(cpu_ticks $varnex) y1=$(cpu_ticks $yard)
s1=0
[ -n "$server_pid" ] && s1=$(cpu_ticks "$server_pid")
vh=$(hwm_kb $varnex) yh=$(hwm_kb $yard)
vname=$(cat /proc/$varnex/comm 2>/dev/null) yname=$(cat /proc/$yard/comm 2>/dev/null)
alive=1
kill -0 $varnex 2>/dev/null && kill -0 $yard 2>/dev/null || alive=""
kill $pids 2>/dev/null
wait $pids 2>/dev/null
pids=""
[ -n "$alive" ] || { echo "own-cost: a program ended early (see $LOGS/own-cost-*.log)" >&2; exit 1; }

report=$(awk -v v0="$v0" -v v1="$v1" -v y0="$y0" -v y1="$y1" -v vh="$vh" -v yh="$yh" \
  -v s0="$s0" -v s1="$s1" -v hz="$hz" -v d="$DURATION" -v w="$WARMUP" -v vn="$vname" -v yn="$yname" 'BEGIN {
  steady = d - w
  printf "| program (process name) | CPU s over %d s | CPU s, last %d s | CPU %% (steady) | peak RSS MiB |\n", d, steady
  printf "|---|---|---|---|---|\n"
  printf "| Varnex.exe (%s) | %.2f | %.2f | %.2f | %.1f |\n", vn, v1/hz, (v1-v0)/hz, 100*(v1-v0)/hz/steady, vh/1024
  printf "| yardstick: message loop + 1 s timer (%s) | %.2f | %.2f | %.2f | %.1f |\n", yn, y1/hz, (y1-y0)/hz, 100*(y1-y0)/hz/steady, yh/1024
  printf "| ratio Varnex / yardstick | %.1f | %.1f | | %.2f |\n", (y1 ? v1/y1 : 0), ((y1-y0) ? (v1-v0)/(y1-y0) : 0), (yh ? vh/yh : 0)
  printf "\nwineserver CPU over the steady part, both programs together: %.2f s.\n", (s1-s0)/hz
}')
echo "$report"
machine="$(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), $(wine64 --version 2>/dev/null || "$VARNEX_WINE64" --version), load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
{
  echo "Measured $(date -u +%Y-%m-%d) on: $machine. Command: \`scripts/own-cost.sh --write\`."
  echo
  echo "$report"
} >"$LOGS/own-cost.md"

if [ -n "$write" ]; then
  doc=$ROOT/docs/performance.md
  python3 "$ROOT/scripts/doc-section.py" "$doc" own-cost "$LOGS/own-cost.md"
  echo "own-cost: table written to docs/performance.md"
fi
