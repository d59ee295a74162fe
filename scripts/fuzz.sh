#!/usr/bin/env bash
# Fuzzes the process-table walk and the window snapshot with libFuzzer (clang, with
# AddressSanitizer and UndefinedBehaviorSanitizer).
#   scripts/fuzz.sh            a long run: FUZZ_SECONDS (default 600) per target; inputs it
#                              finds are kept in build/bench-fuzz/corpus-<target>
#   scripts/fuzz.sh --smoke    a bounded short run (about 15 s per target) from the seeds in
#                              fuzz/corpus/<target>, for the test command
# Exits non-zero when a target crashes, leaks, times out or fails to build; a crashing input
# is left in build/bench-fuzz/ as crash-*, leak-* or timeout-*.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=${FUZZ_BUILD:-$ROOT/build/bench-fuzz}
smoke=""
seconds=${FUZZ_SECONDS:-600}
for arg in "$@"; do
  case $arg in
    --smoke) smoke=1 seconds=${FUZZ_SMOKE_SECONDS:-15} ;;
    -h | --help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "fuzz.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done
command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is missing (scripts/install-deps.sh native)" >&2; exit 1; }

targets=(process_table_fuzz window_snapshot_fuzz)
mkdir -p "$OUT/obj"
CXX=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -I"$ROOT"
       -fsanitize=address,undefined -fno-sanitize-recover=undefined)

# The program's portable code and the simulated platform, compiled once and reused while
# the sources are unchanged.
sources=()
for f in "$ROOT"/sampling/*.cpp "$ROOT"/graphs/*.cpp "$ROOT"/app/*.cpp "$ROOT"/platform/fake/*.cpp; do
  [ "$(basename "$f")" = main.cpp ] && continue
  sources+=("$f")
done
stale=()
for f in "${sources[@]}"; do
  obj=$OUT/obj/$(echo "${f#$ROOT/}" | tr '/' '_').o
  if [ ! -f "$obj" ] || [ "$f" -nt "$obj" ] || [ -n "$(find "$ROOT/sampling" "$ROOT/platform" "$ROOT/app" "$ROOT/graphs" -name '*.h' -newer "$obj" -print -quit)" ]; then
    stale+=("$f" "$obj")
  fi
done
t0=$SECONDS
if [ ${#stale[@]} -gt 0 ]; then
  echo "fuzz.sh: compiling $(( ${#stale[@]} / 2 )) sources with clang"
  running=0 build_failed=""
  for ((i = 0; i < ${#stale[@]}; i += 2)); do
    "$CXX" "${flags[@]}" -fsanitize=fuzzer-no-link -c "${stale[i]}" -o "${stale[i + 1]}" &
    running=$((running + 1))
    if [ $running -ge 2 ]; then wait -n || build_failed=1; running=$((running - 1)); fi
  done
  while [ $running -gt 0 ]; do wait -n || build_failed=1; running=$((running - 1)); done
  [ -z "$build_failed" ] || { echo "fuzz.sh: build failed" >&2; exit 1; }
fi
objects=()
for f in "${sources[@]}"; do objects+=("$OUT/obj/$(echo "${f#$ROOT/}" | tr '/' '_').o"); done
for t in "${targets[@]}"; do
  if [ ! -x "$OUT/$t" ] || [ "$ROOT/fuzz/$t.cpp" -nt "$OUT/$t" ] || [ -n "$(find "$OUT/obj" -newer "$OUT/$t" -print -quit)" ]; then
    "$CXX" "${flags[@]}" -fsanitize=fuzzer "$ROOT/fuzz/$t.cpp" "${objects[@]}" -lpthread -o "$OUT/$t" || {
      echo "fuzz.sh: linking $t failed" >&2; exit 1; }
  fi
done
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
    "./$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
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
