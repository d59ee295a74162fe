#!/usr/bin/env bash
# Builds Varnex and runs every test, on a fresh Debian/Ubuntu machine as well (usage below).
usage() {
  cat <<'EOF'
scripts/test.sh [--native-only] [--no-native] [--no-sanitizers] [--no-bench] [--no-fuzz]
                [--no-win64] [--no-win32] [--no-screenshot] [--no-install] [--clean]
Stages: the win32 build, whose Windows tests run under 32-bit Wine in the background (one
run through qemu, minutes on about one core) while the native stages run; the native tests;
the native tests under ASan+UBSan and the Threading tests under TSan; the scripts' own
tests; short passes of the benchmarks and the fuzzers; the win64 build with its Windows
tests under wine64; the executable checks of both Varnex.exe; a screenshot of the real
window. --no-native skips every native stage; --clean builds every tree afresh.
Prints a summary with timings and a closing line "N passed, N failed"; exits non-zero
when any stage failed. Logs and artefacts land in build/test-logs and build/screenshots.
EOF
}
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
BUILD=$ROOT/build
LOGS=$BUILD/test-logs
JOBS=${JOBS:-2}

do_install=1 do_native=1 do_sanitizers=1 do_bench=1 do_fuzz=1 do_win64=1 do_win32=1 do_screenshot=1 clean=""
for arg in "$@"; do
  case $arg in
    --native-only) do_win64="" do_win32="" do_screenshot="" ;;
    --no-sanitizers) do_sanitizers="" ;;
    --no-native) do_native="" do_sanitizers="" do_bench="" do_fuzz="" ;;
    --no-bench) do_bench="" ;;
    --no-fuzz) do_fuzz="" ;;
    --no-win64) do_win64="" ;;
    --no-win32) do_win32="" ;;
    --no-screenshot) do_screenshot="" ;;
    --no-install) do_install="" ;;
    --clean) clean=1 ;;
    -h | --help) usage; exit 0 ;;
    *) echo "test.sh: unknown option $arg (see --help)" >&2; exit 2 ;;
  esac
done
windows=""
[ -n "$do_win64$do_win32$do_screenshot" ] && windows=1

mkdir -p "$LOGS"
[ -n "$clean" ] && rm -rf "$BUILD"/{native,native-asan,native-tsan,win64,win32}

total_passed=0 total_failed=0 any_failed=""
# Whatever the script started stops with it, also when it is interrupted: the background
# 32-bit run and prefix creation (wine-run.sh cleans up after itself), Wine and Xvfb.
win32_pid="" prefix_pid=""
stop_all() {
  [ -n "$win32_pid" ] && pkill -TERM -P "$win32_pid" 2>/dev/null
  [ -n "$prefix_pid" ] && kill "$prefix_pid" 2>/dev/null
  declare -F varnex_wine_cleanup >/dev/null && varnex_wine_cleanup
  return 0
}
trap stop_all EXIT
summary=()
run_start=$SECONDS

# Records one stage's outcome: name, passed, failed, seconds, note.
record() {
  local name=$1 passed=$2 failed=$3 secs=$4 note=${5:-}
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  local state=ok
  [ "$failed" -gt 0 ] && { state=FAILED; any_failed=1; }
  summary+=("$(printf '%-22s %-6s %5d passed %4d failed %5ds  %s' "$name" "$state" "$passed" "$failed" "$secs" "$note")")
  printf '==> %s: %s (%d passed, %d failed, %d s) %s\n' "$name" "$state" "$passed" "$failed" "$secs" "$note"
}

banner() { printf '\n==== %s ====\n' "$1"; }

# Counts a GoogleTest run from its log and exit status into G_PASSED / G_FAILED.
# A run that ends without its summary (crash, timeout) or exits non-zero with no failed
# test (a sanitizer report at exit, for one) counts one extra failure.
gtest_counts() {
  local log=$1 rc=$2 line
  G_PASSED=0 G_FAILED=0 G_EXIT_ONLY=""
  line=$(grep -a '^\[  PASSED  \] [0-9]* test' "$log" | tail -1)
  [ -n "$line" ] && G_PASSED=$(sed 's/^\[  PASSED  \] \([0-9]*\).*/\1/' <<<"$line")
  line=$(grep -a '^\[  FAILED  \] [0-9]* test' "$log" | tail -1)
  [ -n "$line" ] && G_FAILED=$(sed 's/^\[  FAILED  \] \([0-9]*\).*/\1/' <<<"$line")
  if ! grep -aq '^\[==========\] [0-9]* tests\{0,1\} from .* ran\.' "$log"; then
    G_PASSED=$(grep -ac '^\[       OK \]' "$log")
    G_FAILED=$(($(grep -ac '^\[  FAILED  \] [A-Za-z_]' "$log") + 1))
  elif [ "$rc" != 0 ] && [ "$G_FAILED" = 0 ]; then
    G_FAILED=1 G_EXIT_ONLY=1
  fi
}

# A sanitizer report inside a test that GoogleTest saw pass fails that test; a leak report
# at exit counts as one more failure.
sanitizer_counts() {
  local moved
  moved=$(awk '
    /^\[ RUN      \] / { cur = $4 }
    /runtime error:|^==[0-9]+==ERROR|^WARNING: ThreadSanitizer/ { if (cur != "") bad[cur] = 1 }
    /^\[       OK \] / { if ($4 in bad) n++ }
    END { print n + 0 }' "$1")
  if [ "$moved" -gt 0 ]; then
    G_PASSED=$((G_PASSED - moved))
    G_FAILED=$((G_FAILED + moved))
    [ -n "$G_EXIT_ONLY" ] && G_FAILED=$((G_FAILED - 1)) && G_EXIT_ONLY=""
  fi
  if grep -aq 'ERROR: LeakSanitizer' "$1" && [ -z "$G_EXIT_ONLY" ]; then
    G_FAILED=$((G_FAILED + 1))
  fi
}

# Configures and builds one tree; the log goes to $LOGS/<name>-build.log.
build_tree() {
  local -x LC_MESSAGES=C
  local name=$1
  shift
  local dir=$BUILD/$name log=$LOGS/$name-build.log
  {
    cmake -S "$ROOT" -B "$dir" "$@" && cmake --build "$dir" -j "$JOBS"
  } >"$log" 2>&1
  local rc=$?
  if [ $rc != 0 ]; then
    echo "build of $name failed ($log):"
    grep -a -E 'error:|undefined reference|Error [0-9]|CMake Error' "$log" | head -20
  fi
  return $rc
}

# Runs a script that checks something and records it: its own "N passed, N failed" line
# when it prints one, else one case from its exit status.
run_script_stage() {  # name timeout script [args...]
  local name=$1 limit=$2 t0=$SECONDS log=$LOGS/$1.log
  shift 2
  # Untranslated tool messages: the checks parse objdump's and the compilers' output.
  LC_ALL=C.UTF-8 timeout -k 10 "$limit" bash "$@" >"$log" 2>&1
  local rc=$? line passed failed
  line=$(grep -a -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
  if [ -n "$line" ]; then
    passed=${line%% passed*}
    failed=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$line")
    [ "$rc" != 0 ] && [ "$failed" = 0 ] && failed=1
  elif [ "$rc" = 0 ]; then
    passed=1 failed=0
  else
    passed=0 failed=1
  fi
  [ "$failed" -gt 0 ] && { grep -a -E 'FAIL|rror' "$log" | head -15; [ "$rc" = 124 ] && echo "timed out after $limit s"; }
  record "$name" "$passed" "$failed" $((SECONDS - t0)) "$( [ "$failed" -gt 0 ] && echo "log: $log")"
}

# Runs a Windows test program under Wine (on the display it is given, else on a private
# Xvfb of wine-run.sh's) into $LOGS/<name>.log; its exit status and time go to <name>.rc.
# The prefix's server is kept running afterwards unless KEEP_WINESERVER is set empty.
run_wintests() {  # name exe timeout [args...]
  local name=$1 exe=$2 limit=$3 t0=$SECONDS log=$LOGS/$1.log rc
  shift 3
  rm -f "$LOGS/$name.rc"
  KEEP_WINESERVER=${KEEP_WINESERVER-1} bash "$ROOT/scripts/wine-run.sh" --timeout "$limit" "$exe" \
    --gtest_color=no "$@" \
    >"$log" 2>&1
  rc=$?
  echo "$rc $((SECONDS - t0))" >"$LOGS/$name.rc"
}

# Records a run of run_wintests.
record_wintests() {  # name
  local name=$1 log=$LOGS/$1.log rc=1 secs=0
  [ -f "$LOGS/$name.rc" ] && read -r rc secs <"$LOGS/$name.rc"
  grep -a -E '^\[  (PASSED|FAILED) |timed out' "$log" | head -40
  gtest_counts "$log" "$rc"
  record "$name" "$G_PASSED" "$G_FAILED" "$secs" "$( [ "$G_FAILED" -gt 0 ] && echo "log: $log")"
}

win_toolchain() { echo "-DCMAKE_TOOLCHAIN_FILE=$ROOT/cmake/toolchain-$1-w64-mingw32.cmake"; }

# One Windows architecture: the Release build, its import table and executable checks.
windows_build() {  # name triple
  local name=$1 triple=$2 t0=$SECONDS
  if ! build_tree "$name" "$(win_toolchain "${triple%%-*}")" -DCMAKE_BUILD_TYPE=Release; then
    record "$name-build" 0 1 $((SECONDS - t0)) "build failed: $LOGS/$name-build.log"
    return 1
  fi
  record "$name-build" 1 0 $((SECONDS - t0))
  run_script_stage "$name-exe-checks" 120 "$ROOT/scripts/check-exe.sh" "$BUILD/$name/Varnex.exe"
  [ -f "$BUILD/$name/varnex_wintests.exe" ] ||
    { record "$name-tests" 0 1 0 "$BUILD/$name/varnex_wintests.exe missing"; return 1; }
}

# ---------------------------------------------------------------------------- install
if [ -n "$do_install" ]; then
  banner "install"
  t=$SECONDS
  level=native
  [ -n "$windows" ] && level=wine64
  [ -n "$do_win32" ] && level=wine32
  if bash "$ROOT/scripts/install-deps.sh" "$level"; then
    echo "dependencies ready ($level, $((SECONDS - t)) s)"
  else
    record install 0 1 $((SECONDS - t)) "scripts/install-deps.sh $level failed"
  fi
fi

# The Wine prefix takes minutes to create the first time: make it while the native builds run.
# (A subshell: the native stages keep the caller's locale.)
if [ -n "$windows" ]; then
  bits=64
  [ -n "$do_win32" ] && bits=32
  (. "$ROOT/scripts/wine-env.sh" && varnex_wine_prefix "$bits") >"$LOGS/wine-prefix.log" 2>&1 &
  prefix_pid=$!
fi
wait_for_prefix() {
  if [ -n "$prefix_pid" ]; then
    wait "$prefix_pid"
    prefix_pid=""
    cat "$LOGS/wine-prefix.log"
  fi
}

# ---------------------------------------------------------------------------- win32
# The 32-bit tests run through qemu for minutes on about one core: they start now, in the
# background on a display of their own, while the native stages use the other core; they are
# counted after the native stages, before the 64-bit tests use the prefix.
if [ -n "$do_win32" ]; then
  banner "win32 build (build/win32); its tests under 32-bit Wine start in the background"
  if windows_build win32 i686-w64-mingw32; then
    # Its display ends with it, so the server it used ends too.
    (unset DISPLAY; KEEP_WINESERVER="" run_wintests win32-tests "$BUILD/win32/varnex_wintests.exe" 1500) &
    win32_pid=$!
  fi
fi

# ---------------------------------------------------------------------------- native
run_gtest_stage() {  # name exe [args...]: runs a GoogleTest program and records it
  local name=$1 t0=$2
  shift 2
  local log=$LOGS/$name.log
  "$@" --gtest_color=no >"$log" 2>&1
  local rc=$?
  grep -a -E '^\[  (PASSED|FAILED) |^(SUMMARY|==[0-9]+==ERROR|WARNING: ThreadSanitizer)|runtime error' "$log" | head -40
  gtest_counts "$log" "$rc"
  sanitizer_counts "$log"
  record "$name" "$G_PASSED" "$G_FAILED" $((SECONDS - t0)) "$( [ "$G_FAILED" -gt 0 ] && echo "log: $log")"
}

if [ -n "$do_native" ]; then
  banner "native build and tests (build/native)"
  t=$SECONDS
  if build_tree native -DCMAKE_BUILD_TYPE=Debug; then
    run_gtest_stage native "$t" "$BUILD/native/varnex_tests"
  else
    record native 0 1 $((SECONDS - t)) "build failed: $LOGS/native-build.log"
  fi
fi

# ---------------------------------------------------------------------------- sanitizers
# g++ for both, like the plain build (clang would add warnings of its own under -Werror).
# Line tables are all a sanitizer report needs for its file:line frames, and they build
# about a fifth faster than full debug information.
san_debug_info=-DCMAKE_CXX_FLAGS_DEBUG=-g1

if [ -n "$do_sanitizers" ]; then
  banner "native tests under AddressSanitizer + UndefinedBehaviorSanitizer (build/native-asan)"
  t=$SECONDS
  # UBSan reports and goes on, so that one run shows every test with undefined behaviour.
  # The tests run in one process here, in a shuffled order (the log names the seed, for
  # --gtest_random_seed): a test that leans on an earlier one's leftovers fails.
  san="-fsanitize=address,undefined -fsanitize-recover=undefined -fno-omit-frame-pointer"
  if build_tree native-asan -DCMAKE_BUILD_TYPE=Debug "$san_debug_info" "-DCMAKE_CXX_FLAGS=$san" \
      "-DCMAKE_EXE_LINKER_FLAGS=$san"; then
    # Deliberate leaks, if any, are listed in tests/lsan.supp.
    lsan=""
    [ -f "$ROOT/tests/lsan.supp" ] && lsan="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
    LSAN_OPTIONS=$lsan ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1 \
      UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=0 \
      run_gtest_stage asan+ubsan "$t" "$BUILD/native-asan/varnex_tests" --gtest_shuffle
  else
    record asan+ubsan 0 1 $((SECONDS - t)) "build failed: $LOGS/native-asan-build.log"
  fi

  banner "Threading tests under ThreadSanitizer (build/native-tsan)"
  t=$SECONDS
  san="-fsanitize=thread -fno-omit-frame-pointer"
  # Only the files that hold Threading tests are built (with the contract environments
  # of the fake when a contract file is among them).
  tsan_files=$(grep -l -E '^TEST(_F|_P)?\(Threading' tests/native/*.cpp tests/contract/*.cpp \
    2>/dev/null | grep -v '_win32\.cpp$')
  grep -q '^tests/contract/' <<<"$tsan_files" &&
    tsan_files+=$'\n'$(ls tests/contract/*_fake.cpp 2>/dev/null)
  tsan_list=$(sed "s|^|$ROOT/|" <<<"$tsan_files" | sort -u | paste -sd';')
  if [ -z "$tsan_files" ]; then
    record tsan 0 0 0 "no Threading tests"
  elif build_tree native-tsan -DCMAKE_BUILD_TYPE=Debug "$san_debug_info" "-DCMAKE_CXX_FLAGS=$san" \
      "-DCMAKE_EXE_LINKER_FLAGS=$san" "-DVARNEX_TEST_FILES=$tsan_list"; then
    # TSan cannot map its shadow memory with full address-space randomisation on recent
    # kernels; setarch -R runs the tests without it.
    norand=""
    setarch "$(uname -m)" -R true 2>/dev/null && norand="setarch $(uname -m) -R"
    TSAN_OPTIONS=halt_on_error=0:second_deadlock_stack=1 \
      run_gtest_stage tsan "$t" $norand "$BUILD/native-tsan/varnex_tests" '--gtest_filter=Threading*'
  else
    record tsan 0 1 $((SECONDS - t)) "build failed: $LOGS/native-tsan-build.log"
  fi
fi

# ---------------------------------------------------------------------------- scripts
# The scripts' own logic (the Wine prefix check and its atomic creation), without Wine.
banner "scripts (tests/scripts)"
for t in "$ROOT"/tests/scripts/*_test.sh; do
  [ -f "$t" ] && run_script_stage "scripts-$(basename "$t" _test.sh)" 60 "$t"
done

# ---------------------------------------------------------------------------- bench, fuzz
# Short passes that prove the benchmarks run and the fuzz targets survive their seeds.
if [ -n "$do_bench" ]; then
  banner "benchmarks, short pass (scripts/bench.sh --smoke)"
  run_script_stage bench-smoke 900 "$ROOT/scripts/bench.sh" --smoke
fi
if [ -n "$do_fuzz" ]; then
  banner "fuzzers, short pass (scripts/fuzz.sh --smoke)"
  run_script_stage fuzz-smoke 900 "$ROOT/scripts/fuzz.sh" --smoke
fi

# ---------------------------------------------------------------------------- Windows
if [ -n "$windows" ]; then
  . "$ROOT/scripts/wine-env.sh"
  unset DISPLAY
  if varnex_xvfb_start; then
    echo "Xvfb on $DISPLAY"
  else
    record display 0 1 0 "Xvfb did not start: no win64 tests, no screenshot"
    do_win64="" do_screenshot=""
  fi
fi

if [ -n "$win32_pid" ]; then
  banner "win32 tests under 32-bit Wine (qemu-user; slow)"
  wait "$win32_pid"
  win32_pid=""
  record_wintests win32-tests
fi
if [ -n "$do_win64$do_screenshot" ]; then
  banner "win64 build (build/win64) and its tests under wine64"
  if windows_build win64 x86_64-w64-mingw32 && [ -n "$do_win64" ]; then
    wait_for_prefix
    run_wintests win64-tests "$BUILD/win64/varnex_wintests.exe" 900
    record_wintests win64-tests
    # The display-scale tests once more on a display of 144 dpi, in a prefix of its own.
    dpi_prefix=$BUILD/wine-prefix-144dpi
    if varnex_scaled_prefix "$dpi_prefix" 144 >"$LOGS/wine-prefix-144dpi.log" 2>&1; then
      (export WINEPREFIX=$dpi_prefix KEEP_WINESERVER=""
        run_wintests win64-tests-144dpi "$BUILD/win64/varnex_wintests.exe" 300 '--gtest_filter=GuiDpi.*')
      record_wintests win64-tests-144dpi
    else
      record win64-tests-144dpi 0 1 0 "no 144-dpi prefix: $LOGS/wine-prefix-144dpi.log"
    fi
  fi
fi

# ---------------------------------------------------------------------------- screenshot
if [ -n "$do_screenshot" ]; then
  banner "screenshot of the real window (build/screenshots)"
  t=$SECONDS
  wait_for_prefix
  mkdir -p "$BUILD/screenshots"
  shot=$BUILD/screenshots/varnex-win64.png
  rm -f "$shot"
  log=$LOGS/screenshot.log
  # run.sh takes its screenshot on a private display of its own when DISPLAY is unset.
  # The win64 build's program when it was built, else run.sh builds one of its own.
  exe_arg=()
  [ -f "$BUILD/win64/Varnex.exe" ] && exe_arg=(--exe "$BUILD/win64/Varnex.exe")
  env -u DISPLAY timeout -k 10 900 bash "$ROOT/scripts/run.sh" --shot "$shot" "${exe_arg[@]}" \
    >"$log" 2>&1
  colours=0
  [ -f "$shot" ] && colours=$(identify -format '%k' "$shot" 2>/dev/null || echo 0)
  if [ "${colours:-0}" -gt 8 ]; then
    record screenshot 1 0 $((SECONDS - t)) "$shot ($colours colours)"
  else
    record screenshot 0 1 $((SECONDS - t)) "no picture of the window: $log"
  fi
fi

[ -n "$windows" ] && { wait_for_prefix >/dev/null; stop_all; trap - EXIT; }

# ---------------------------------------------------------------------------- summary
banner "summary ($((SECONDS - run_start)) s)"
printf '%s\n' "${summary[@]}"
echo "logs: $LOGS"
echo "$total_passed passed, $total_failed failed"
[ -z "$any_failed" ]
