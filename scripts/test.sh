#!/usr/bin/env bash
# Runs every test of the project: scripts/test.sh [SUITE...]
#
# Suites, in this order unless named: format (tracked C++ files as
# clang-format writes them, shellcheck over the scripts), native, asan (AddressSanitizer and
# UBSan), tsan (ThreadSanitizer), win64 (the x86_64 Windows build, tests under
# wine64 on a private Xvfb), win32 (the shipped i686 build, tests under
# wine32; skipped with a warning only when setup could not install wine32 or
# the kernel cannot run 32-bit programs), fuzz (every registered fuzzer for
# ORVANE_FUZZ_SECONDS, default 30, plus a replay of its saved crash inputs).
# Each suite configures build/<suite> from its preset, builds with -j2 and
# runs its tests. The first failure stops the run with a non-zero exit.
# Logs: build/logs/<suite>.log. The last line is "N passed, N failed".
#
# ORVANE_TSAN_THREADS_ONLY=1 restricts the ThreadSanitizer run to the tests
# labelled "threads" (orvane_gtest(... LABEL threads)), for a quicker run.
# The suite_* functions are called by name.
# shellcheck disable=SC2317
set -u -o pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 2
repo=$(pwd)
logs="$repo/build/logs"
mkdir -p "$logs"

all_suites=(format native asan tsan win64 win32 fuzz)
suites=("$@")
[ ${#suites[@]} -eq 0 ] && suites=("${all_suites[@]}")
for s in "${suites[@]}"; do
  case " ${all_suites[*]} " in
    *" $s "*) ;;
    *) echo "test.sh: unknown suite '$s' (known: ${all_suites[*]})" >&2; exit 2 ;;
  esac
done

total_passed=0
total_failed=0
summary=()
started=$SECONDS

say() { echo "[$suite] $*"; }
seconds_since() { echo $((SECONDS - $1)); }

finish() {
  echo
  echo "Summary ($(( (SECONDS - started) / 60 )) min $(( (SECONDS - started) % 60 )) s):"
  local line
  for line in "${summary[@]}"; do echo "  $line"; done
  echo "$total_passed passed, $total_failed failed"
  exit "$1"
}

# fail WHAT: ends the whole run after a failed step of the current suite.
fail() {
  say "FAILED: $1 (log: $log)"
  summary+=("$suite: FAILED at $1")
  total_failed=$((total_failed + ${2:-1}))
  finish 1
}

# step NAME COMMAND...: runs a step with its output in the suite's log; on
# failure shows the end of the log and stops.
step() {
  local name=$1; shift
  local t0=$SECONDS
  echo "== $name: $*" >>"$log"
  if "$@" >>"$log" 2>&1; then
    say "$name ok ($(seconds_since "$t0") s)"
    return 0
  fi
  echo "---- last lines of $log ----"
  tail -n 60 "$log"
  echo "----"
  fail "$name"
}

# Runs ctest (with any prefix command, e.g. the Wine session) and adds its
# counts to the totals.
run_ctest() {
  local t0=$SECONDS out rc
  out="$logs/$suite.ctest.log"
  "$@" --output-on-failure --no-tests=ignore >"$out" 2>&1
  rc=$?
  cat "$out" >>"$log"
  local total failed skipped passed
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$out" | tail -n1)
  failed=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$out" | tail -n1)
  skipped=$(grep -cE '\((Skipped|Disabled)\)$' "$out")
  total=${total:-0}; failed=${failed:-0}
  passed=$((total - failed - skipped))
  [ "$passed" -lt 0 ] && passed=0
  if [ "$rc" -ne 0 ] || [ "$failed" -ne 0 ]; then
    [ "$failed" -eq 0 ] && failed=1
    total_passed=$((total_passed + passed))
    grep -E '\*\*\*|Failed|Timeout|Exception' "$out" | tail -n 40
    echo "---- failing output: see $out ----"
    fail "tests ($failed failed)" "$failed"
  fi
  total_passed=$((total_passed + passed))
  local note=""
  [ "$skipped" -gt 0 ] && note=", $skipped skipped"
  say "tests: $passed passed$note ($(seconds_since "$t0") s)"
  summary+=("$suite: $passed passed$note")
}

# configure_and_build [CMAKE-ARGS...]
configure_and_build() {
  step configure cmake --preset "$suite" -B "$repo/build/$suite" "$@"
  step build cmake --build "$repo/build/$suite" -j2
}

# Tracked C++ files that clang-format would change, one per line.
unformatted_files() {
  # clang-format fails on the first file it would change; the list is what counts.
  git ls-files -z -- '*.cpp' '*.h' |
    { xargs -0 clang-format --dry-run --Werror 2>&1 || true; } |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u
}

check_format() {
  command -v clang-format >/dev/null || { echo "clang-format is not installed"; return 1; }
  local files
  files=$(unformatted_files) || return 1
  [ -z "$files" ] && return 0
  echo "not formatted as .clang-format says (clang-format -i FILE...):"
  echo "$files"
  return 1
}

suite_format() {
  step clang-format check_format
  step shellcheck shellcheck -x -P scripts scripts/*.sh .ci/run
  total_passed=$((total_passed + 2))
  summary+=("format: C++ files formatted, scripts pass shellcheck")
}

suite_native() {
  configure_and_build
  run_ctest ctest --test-dir build/native -j2
}

suite_asan() {
  configure_and_build
  ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest ctest --test-dir build/asan -j2
}

suite_tsan() {
  configure_and_build
  local filter=()
  [ "${ORVANE_TSAN_THREADS_ONLY:-0}" = 1 ] && filter=(-L threads)
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    run_ctest ctest --test-dir build/tsan -j2 "${filter[@]}"
}

suite_win64() {
  configure_and_build
  # One Wine session (Xvfb, wineserver, prefix) for the whole suite; tests
  # run one at a time because windows, focus and the clipboard are shared.
  run_ctest scripts/wine-session.sh build/win64 ctest --test-dir build/win64
}

suite_win32() {
  # shellcheck source=wine-common.sh
  . scripts/wine-common.sh
  local blocker
  blocker=$(orvane_wine32_blocker)
  if [ -z "$blocker" ]; then
    configure_and_build -DORVANE_TEST_DISCOVERY=ON
    run_ctest scripts/wine-session.sh build/win32 ctest --test-dir build/win32
  else
    configure_and_build -DORVANE_TEST_DISCOVERY=OFF
    # The checks that need no Wine (imports, resources, include guard).
    run_ctest ctest --test-dir build/win32 -L host
    say "************************************************************************"
    say "WARNING: the tests of the shipped i686 build are SKIPPED:"
    say "$blocker."
    case "$blocker" in
      *"not installed"*)
        say "(setup could not install it; run scripts/setup.sh to retry)" ;;
      *)
        say "(the kernel needs IA32 emulation; run the suite on a machine that has it)" ;;
    esac
    say "************************************************************************"
    summary+=("win32: Windows test run skipped ($blocker)")
  fi
}

# One fuzzer: replay the saved crash inputs, then fuzz from the corpus. New
# inputs go to a scratch corpus in the build folder, never into the sources.
run_fuzzer() {
  local name=$1 exe=$2 corpus=$3 dict=$4 regressions=$5 max_len=$6
  local work="$repo/build/fuzz/work/$name"
  mkdir -p "$work/corpus" "$work/artifacts"
  local t0=$SECONDS
  if [ "$regressions" != "-" ] && [ -d "$regressions" ]; then
    local inputs=()
    mapfile -t inputs < <(find "$regressions" -type f ! -name '.*' | sort)
    if [ ${#inputs[@]} -gt 0 ]; then
      if ! "$exe" "${inputs[@]}" </dev/null >>"$log" 2>&1; then
        tail -n 40 "$log"
        fail "fuzzer $name: a saved crash input fails again"
      fi
      say "$name: ${#inputs[@]} saved crash inputs replayed"
    fi
  fi
  local args=(-max_total_time="$seconds" -timeout=25 -print_final_stats=1
              -artifact_prefix="$work/artifacts/")
  [ "$dict" != "-" ] && args+=(-dict="$dict")
  [ "$max_len" != "-" ] && args+=(-max_len="$max_len")
  local dirs=("$work/corpus")
  [ "$corpus" != "-" ] && [ -d "$corpus" ] && dirs+=("$corpus")
  if ! "$exe" "${args[@]}" "${dirs[@]}" </dev/null >>"$log" 2>&1; then
    tail -n 40 "$log"
    say "crash input saved in $work/artifacts/ (copy it into $regressions to keep it as a regression)"
    fail "fuzzer $name"
  fi
  say "$name: fuzzed ${seconds} s without a failure ($(seconds_since "$t0") s in all)"
  total_passed=$((total_passed + 1))
}

suite_fuzz() {
  configure_and_build
  seconds=${ORVANE_FUZZ_SECONDS:-30}
  local list="$repo/build/fuzz/fuzzers.txt" n=0
  [ -f "$list" ] || fail "configure: $list was not written"
  local name exe corpus dict regressions max_len
  while IFS=$'\t' read -r name exe corpus dict regressions max_len; do
    [ -n "$name" ] || continue
    run_fuzzer "$name" "$exe" "$corpus" "$dict" "$regressions" "${max_len:--}"
    n=$((n + 1))
  done <"$list"
  say "$n fuzzers run"
  summary+=("fuzz: $n fuzzers, ${seconds} s each, no failure")
}

echo "== setup"
scripts/setup.sh || { echo "setup failed"; total_failed=1; finish 1; }
for suite in "${suites[@]}"; do
  log="$logs/$suite.log"
  : >"$log"
  echo "== $suite"
  t_suite=$SECONDS
  "suite_$suite"
  say "done in $(seconds_since "$t_suite") s"
done
finish 0
