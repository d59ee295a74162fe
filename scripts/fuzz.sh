#!/usr/bin/env bash
# Fuzzes the process-table walk and the window snapshot with libFuzzer (usage below).
usage() {
  cat <<'EOF'
Fuzzes the process-table walk and the window snapshot with libFuzzer (clang, with
AddressSanitizer and UndefinedBehaviorSanitizer).
  scripts/fuzz.sh            a long run: FUZZ_SECONDS (default 600) per target; inputs it
                             finds are kept in build/bench-fuzz/corpus-<target>
  scripts/fuzz.sh --smoke    a bounded short run (about 15 s per target) from the seeds in
                             fuzz/corpus/<target>, for the test command
Exits non-zero when a target crashes, leaks, times out or fails to build; a crashing input
is left in build/bench-fuzz/ as crash-*, leak-* or timeout-*.
EOF
}
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=${FUZZ_BUILD:-$ROOT/build/bench-fuzz}
smoke=""
seconds=${FUZZ_SECONDS:-600}
for arg in "$@"; do
  case $arg in
    --smoke) smoke=1 seconds=${FUZZ_SMOKE_SECONDS:-15} ;;
    -h | --help) usage; exit 0 ;;
    *) echo "fuzz.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done
command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is missing (scripts/install-deps.sh native)" >&2; exit 1; }

targets=(process_table_fuzz window_snapshot_fuzz)
t0=$SECONDS
mkdir -p "$OUT"
LOG=$OUT/build.log
{
  cmake -S "$ROOT" -B "$OUT" -DCMAKE_BUILD_TYPE=Debug -DVARNEX_FUZZ=ON -DVARNEX_TESTS=OFF \
    -DCMAKE_CXX_COMPILER="${CXX_FUZZ:-clang++}" &&
    cmake --build "$OUT" -j "${JOBS:-2}" --target "${targets[@]}"
} >"$LOG" 2>&1 || { grep -E 'error' "$LOG" | head -20; echo "fuzz.sh: build failed ($LOG)" >&2; exit 1; }
echo "fuzz.sh: targets ready in $((SECONDS - t0)) s"

failed=0 passed=0
for t in "${targets[@]}"; do
  seeds=$ROOT/fuzz/corpus/$t
  if [ -n "$smoke" ]; then
    work=$(mktemp -d)  # new inputs of a smoke run are not kept
  else
    work=$OUT/corpus-$t
    mkdir -p "$work"
  fi
  log=$OUT/$t.log
  echo "fuzz.sh: $t for $seconds s"
  (cd "$OUT" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "./fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -print_final_stats=1 "$work" "$seeds") >"$log" 2>&1
  rc=$?
  [ -n "$smoke" ] && rm -rf "$work"
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|SUMMARY|==[0-9]+==ERROR)|Done [0-9]+ runs' "$log" | head -8
  if [ $rc = 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "fuzz.sh: $t FAILED (exit $rc); log: $log"
    tail -30 "$log"
  fi
done
echo "$passed passed, $failed failed"
[ $failed = 0 ]
