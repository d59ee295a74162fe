#!/usr/bin/env bash
# Varnex's own cost under Wine against a floor program (usage below).
usage() {
  cat <<'EOF'
scripts/own-cost.sh [--processes N] [--write]
Varnex.exe (64-bit, default refresh speed) and bench/floor.cpp (the same system queries as
one refresh tick and one sampler pass, once a second, no window) run alternately, ROUNDS
times each (default 3), DURATION seconds each (default 40), under one wine64 prefix whose
process table idle programs fill to N entries (--processes, default 160), SETTLE seconds
(default 30) after they start. For each run: the program's CPU seconds (all its threads,
from /proc/<pid>/task/*/schedstat) and the Wine server's over the steady part (after the
first 10 s), and the program's peak resident memory (VmHWM). Reported: each run, and the
median of the rounds' ratios Varnex / floor with the Wine server's CPU counted for each.
--write puts the table into docs/performance.md. Builds into build/bench-win64 and uses the
prefix build/bench-prefix (copied from this machine's pristine prefix: seconds, once it
exists) and an Xvfb display of its own (:97 or the next free one), with one X resource loaded
(XENVIRONMENT) as a desktop session has.
EOF
}
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DURATION=${DURATION:-40}
ROUNDS=${ROUNDS:-3}
PROCESSES=${PROCESSES:-160}
WARMUP=10
write=""
while [ $# -gt 0 ]; do
  case $1 in
    --write) write=1 ;;
    --processes) PROCESSES=${2:?--processes takes a number}; shift ;;
    -h | --help) usage; exit 0 ;;
    *) echo "own-cost.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done
BUILD=${OWN_COST_BUILD:-$ROOT/build/bench-win64}
LOGS=$ROOT/build/bench-logs
mkdir -p "$LOGS"

export WINEPREFIX=${OWN_COST_PREFIX:-$ROOT/build/bench-prefix}
# A desktop session loads X resources (xrdb); a bare Xvfb has none, and then Xlib looks for
# resource files again each time Wine realises a font for a device context (about 17 times a
# second for Varnex's repaints, never for the floor, which draws nothing). One resource file,
# read once by each program, stands for the desktop's.
export XENVIRONMENT=$LOGS/own-cost.Xresources
printf 'VarnexOwnCost.desktop: true\n' >"$XENVIRONMENT"
VARNEX_DISPLAY=${VARNEX_DISPLAY:-97}
. "$ROOT/scripts/wine-env.sh"

echo "own-cost: building Varnex.exe and floor.exe ($BUILD)"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVARNEX_TESTS=ON >"$LOGS/own-cost-build.log" 2>&1 &&
  cmake --build "$BUILD" -j 2 --target Varnex >>"$LOGS/own-cost-build.log" 2>&1 ||
  { echo "own-cost: build failed: $LOGS/own-cost-build.log" >&2; exit 1; }
x86_64-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -Werror -static -s "$ROOT/bench/floor.cpp" \
  -o "$BUILD/floor.exe" -lntdll || { echo "own-cost: the floor did not build" >&2; exit 1; }

varnex_wine_prefix || exit 1
varnex_xvfb_start || exit 1
pids=""
cleanup() { [ -n "$pids" ] && kill $pids 2>/dev/null; varnex_wine_cleanup; }
trap cleanup EXIT
# The Wine server and the prefix's own processes start before the clock does.
"$VARNEX_WINESERVER" -p60 2>/dev/null
"$VARNEX_WINE64" cmd /c exit >/dev/null 2>&1

# CPU time of a process's threads in nanoseconds, from the scheduler's own account; the user
# and system times of /proc/<pid>/stat come in steps of 10 ms, about 2% of a run's total
# each time they are read. (Threads that end between two readings would be missed: these
# programs keep theirs.)
cpu_ns() {
  local ns
  ns=$(cat "/proc/$1/task/"*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f", s}')
  if [ "${ns:-0}" -gt 0 ]; then echo "$ns"; return; fi
  awk -v hz="$(getconf CLK_TCK)" '{printf "%.0f", ($14 + $15) * 1e9 / hz}' "/proc/$1/stat" \
    2>/dev/null || echo 0
}
hwm_kb() { awk '/^VmHWM/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
table_size() { "$VARNEX_WINE64" "$BUILD/floor.exe" count 2>/dev/null | tr -dc '0-9'; }
# The Wine server of this prefix (others may run servers of their own prefixes).
find_server() {
  server_pid=""
  for p in $(pgrep '^wineserver' 2>/dev/null); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      server_pid=$p
    fi
  done
  [ -n "$server_pid" ] || echo "own-cost: no Wine server found for $WINEPREFIX; its CPU reads 0" >&2
}
find_server

# Idle programs fill the table; the counting program stands for the measured one. A count
# that settles short of the goal (a prefix process ended meanwhile) is topped up.
idle() {  # count
  for _ in $(seq 1 "$1"); do
    "$VARNEX_WINE64" "$BUILD/floor.exe" idle >/dev/null 2>&1 &
    pids="$pids $!"
  done
}
have=$(table_size)
idle $((PROCESSES - ${have:-0}))
last=""
for _ in $(seq 1 120); do
  have=$(table_size)
  [ "${have:-0}" -ge "$PROCESSES" ] && break
  [ "$have" = "$last" ] && idle $((PROCESSES - have))
  last=$have
  sleep 1
done
echo "own-cost: $have processes in the table while a program runs"
# The idle programs' own start-up keeps the Wine server busy for a while: not to be counted.
sleep "${SETTLE:-30}"

runs=$LOGS/own-cost-runs.txt
: >"$runs"
measure() {  # label exe
  "$VARNEX_WINE64" "$2" >"$LOGS/own-cost-$1.log" 2>&1 &
  local pid=$! s0=0 s1=0 p0 p1
  sleep "$WARMUP"
  kill -0 "${server_pid:-0}" 2>/dev/null || find_server
  p0=$(cpu_ns $pid)
  [ -n "$server_pid" ] && s0=$(cpu_ns "$server_pid")
  sleep $((DURATION - WARMUP))
  p1=$(cpu_ns $pid)
  [ -n "$server_pid" ] && s1=$(cpu_ns "$server_pid")
  local hwm alive=1
  hwm=$(hwm_kb $pid)
  kill -0 $pid 2>/dev/null || alive=""
  kill $pid 2>/dev/null
  wait $pid 2>/dev/null
  [ -n "$alive" ] || { echo "own-cost: $1 ended early (see $LOGS/own-cost-$1.log)" >&2; exit 1; }
  echo "$1 $((p1 - p0)) $((s1 - s0)) $hwm" >>"$runs"
  echo "own-cost: $1: own $(((p1 - p0) / 1000000)) ms, server $(((s1 - s0) / 1000000)) ms"
}
for round in $(seq 1 "$ROUNDS"); do
  measure varnex "$BUILD/Varnex.exe"
  measure floor "$BUILD/floor.exe"
done
kill $pids 2>/dev/null
pids=""

report=$(awk -v steady=$((DURATION - WARMUP)) -v rounds="$ROUNDS" '
  function median(a, n,   i, j, t) {
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  { n[$1]++; own[$1, n[$1]] = $2 / 1e9; srv[$1, n[$1]] = $3 / 1e9; rss[$1, n[$1]] = $4 / 1024 }
  END {
    printf "| round | Varnex CPU s (own + Wine server) | floor CPU s (own + Wine server) | ratio |\n|---|---|---|---|\n"
    for (i = 1; i <= rounds; i++) {
      v = own["varnex", i] + srv["varnex", i]; f = own["floor", i] + srv["floor", i]
      r[i] = f ? v / f : 0
      printf "| %d | %.2f (%.2f + %.2f) | %.2f (%.2f + %.2f) | %.2f |\n", i, v, own["varnex", i], srv["varnex", i], f, own["floor", i], srv["floor", i], r[i]
      vo[i] = own["varnex", i]; vs[i] = srv["varnex", i]; fo[i] = own["floor", i]; fs[i] = srv["floor", i]
      vr[i] = rss["varnex", i]; fr[i] = rss["floor", i]
    }
    printf "\nMedian ratio Varnex / floor, Wine server counted for each: **%.2f** (over %d s of steady running per run). ", median(r, rounds), steady
    printf "Medians: Varnex own %.2f s + server %.2f s, peak RSS %.1f MiB; floor own %.2f s + server %.2f s, peak RSS %.1f MiB.\n", median(vo, rounds), median(vs, rounds), median(vr, rounds), median(fo, rounds), median(fs, rounds), median(fr, rounds)
  }' "$runs")
echo "$report"
# The default count writes the section "own-cost"; another count a section of its own.
args="" section=""
[ "$PROCESSES" != 160 ] && args=" --processes $PROCESSES" section="-$PROCESSES"
machine="$(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), $("$VARNEX_WINE64" --version 2>/dev/null), $have processes in the table, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
{
  echo "Measured $(date -u +%Y-%m-%d) on: $machine. Command: \`scripts/own-cost.sh$args --write\`."
  echo
  echo "$report"
} >"$LOGS/own-cost$section.md"

if [ -n "$write" ]; then
  python3 "$ROOT/scripts/doc-section.py" "$ROOT/docs/performance.md" "own-cost$section" \
    "$LOGS/own-cost$section.md"
  echo "own-cost: table written to docs/performance.md"
fi
