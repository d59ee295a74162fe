#!/usr/bin/env bash
# The benchmarks on their own over the fake platform (usage below).
usage() {
  cat <<'EOF'
The benchmarks on their own: one refresh tick (process list + task list) for 100/20,
1000/200 and 5000/1000 processes/windows in three regimes, each list's refresh and the
snapshots alone, and one sampler pass, over the fake platform (Google Benchmark, native).
  scripts/bench.sh [--write]   full run (about two minutes: 124 s measured, 52 s of it the
                               build into an empty build dir, on a machine shared with other
                               builds); --write puts the table into docs/performance.md
  scripts/bench.sh --smoke     a quick pass over every benchmark (the test command's)
Builds into build/bench-native (Release). The table reports CPU time per iteration: on a
shared machine the wall time also counts other programs' turns.
EOF
}
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BENCH_BUILD:-$ROOT/build/bench-native}
LOGS=$ROOT/build/bench-logs
mkdir -p "$LOGS"
mode=full write=""
for arg in "$@"; do
  case $arg in
    --smoke) mode=smoke ;;
    --write) write=1 ;;
    -h | --help) usage; exit 0 ;;
    *) echo "bench.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

{
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVARNEX_BENCH=ON -DVARNEX_TESTS=OFF &&
    cmake --build "$BUILD" -j "${JOBS:-2}" --target varnex_bench varnex_tick_driver
} >"$LOGS/bench-build.log" 2>&1 || {
  echo "bench.sh: build failed; see $LOGS/bench-build.log" >&2
  grep -E 'error' "$LOGS/bench-build.log" | head -20 >&2
  exit 1
}

# A full run is several rounds of every benchmark, pinned to one core where taskset is at
# hand; each figure is the median over the rounds. This host slows down now and then for a
# minute or two: repetitions in a row all fall into such a spell, rounds mostly do not.
if [ $mode = smoke ]; then
  rounds=1
  args=(--benchmark_min_time=0.01)
else
  rounds=${BENCH_ROUNDS:-5}
  args=(--benchmark_min_time=${BENCH_MIN_TIME:-0.2})
fi
pin=()
if [ $mode = full ] && command -v taskset >/dev/null; then pin=(taskset -c 0); fi
jsons=()
: >"$LOGS/bench-$mode.txt"
for round in $(seq "$rounds"); do
  json=$LOGS/bench-$mode-$round.json
  jsons+=("$json")
  "${pin[@]}" "$BUILD/bench/varnex_bench" "${args[@]}" --benchmark_out="$json" \
    --benchmark_out_format=json >>"$LOGS/bench-$mode.txt" 2>&1
  rc=$?
  if [ $rc != 0 ]; then break; fi
done
cat "$LOGS/bench-$mode.txt" | grep -v '^\*\*\*WARNING'
if [ $rc != 0 ]; then
  echo "0 passed, 1 failed"
  exit 1
fi

table=$LOGS/bench-$mode.md
PINNED=${#pin[@]} python3 - "$table" "${jsons[@]}" <<'PY'
import json, sys, re, os, statistics
runs = [json.load(open(f)) for f in sys.argv[2:]]
ctx = runs[0]["context"]
samples = {}
for data in runs:
    for b in data["benchmarks"]:
        name = b.get("run_name", b["name"])
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
        samples.setdefault(name, []).append((b["cpu_time"] * scale, b["real_time"] * scale))
rows = {name: (statistics.median(c for c, r in s), statistics.median(r for c, r in s))
        for name, s in samples.items()}
def sizes(name):
    m = re.search(r"procs:(\d+)/wins:(\d+)", name)
    return (int(m.group(1)), int(m.group(2))) if m else None
out = []
cpu = open("/proc/cpuinfo").read()
model = re.search(r"model name\s*:\s*(.*)", cpu)
load = open("/proc/loadavg").read().split()[:3]
out.append("Machine: %d cores, %s, %s MHz; load average %s during the run. Native Release build "
           "(g++), fake platform%s. Times are CPU time per iteration, the median of %d round%s."
           % (ctx.get("num_cpus", os.cpu_count()), model.group(1) if model else "?",
              ctx.get("mhz_per_cpu", "?"), " ".join(load),
              ", pinned to one core" if os.environ.get("PINNED", "0") != "0" else "", len(runs),
              "" if len(runs) == 1 else "s"))
out.append("")
out.append("| benchmark | 100 procs / 20 wins | 1000 / 200 | 5000 / 1000 | ratio 5000 : 1000 |")
out.append("|---|---|---|---|---|")
families = []
for name in rows:
    fam = name.split("/")[0]
    if sizes(name) and fam not in families:
        families.append(fam)
for fam in families:
    vals = {}
    for name, (c, r) in rows.items():
        if name.split("/")[0] == fam and sizes(name):
            vals[sizes(name)[0]] = c
    cells = ["%.0f us" % vals[k] if k in vals else "-" for k in (100, 1000, 5000)]
    ratio = "%.1f" % (vals[5000] / vals[1000]) if 1000 in vals and 5000 in vals else "-"
    out.append("| %s | %s | %s |" % (fam, " | ".join(cells), ratio))
out.append("")
out.append("| benchmark | CPU time per pass |")
out.append("|---|---|")
for name, (c, r) in rows.items():
    if not sizes(name):
        out.append("| %s | %.1f us |" % (name, c))
open(sys.argv[1], "w").write("\n".join(out) + "\n")
PY
cat "$table"

# Instructions per tick (callgrind, counting TimerTimer only, so the simulated desktop's own
# changes between ticks do not count): the difference between 3 and 1 ticks, halved, so that
# the first fill does not count either.
if [ $mode = full ] && command -v valgrind >/dev/null; then
  count() {  # procs wins ticks regime
    valgrind --tool=callgrind --toggle-collect='TMainForm::TimerTimer()' \
      --callgrind-out-file=/dev/null "$BUILD/bench/varnex_tick_driver" "$@" 2>&1 |
      sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
  }
  {
    echo
    echo "Instructions per tick (callgrind, independent of the machine's load), per process in brackets:"
    echo
    echo "| regime | 100 / 20 | 1000 / 200 | 5000 / 1000 | ratio 5000 : 1000 |"
    echo "|---|---|---|---|---|"
    for regime in steady replace shuffle; do
      row="| $regime"
      declare -A per=()
      for size in "100 20" "1000 200" "5000 1000"; do
        one=$(count $size 1 $regime) three=$(count $size 3 $regime)
        procs=${size%% *}
        per[$procs]=$(( (three - one) / 2 ))
        row="$row | ${per[$procs]} ($((per[$procs] / procs)))"
      done
      echo "$row | $(awk -v a="${per[5000]}" -v b="${per[1000]}" 'BEGIN {printf "%.1f", a / b}') |"
    done
  } >>"$table"
  tail -6 "$table"
fi

if [ -n "$write" ] && [ $mode = full ]; then
  python3 "$ROOT/scripts/doc-section.py" "$ROOT/docs/performance.md" bench "$table"
  echo "bench.sh: table written to docs/performance.md"
fi
echo "1 passed, 0 failed"
