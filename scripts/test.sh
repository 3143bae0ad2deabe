#!/usr/bin/env bash
# Runs every test: the include-layer check, the GoogleTest suites in a normal build (warnings as errors),
# the same suites under AddressSanitizer + UndefinedBehaviorSanitizer, and each
# libFuzzer target for a short fixed time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)
fuzz_seconds=${ZT640_FUZZ_SECONDS:-10}

total_passed=0
# Runs one build's suites (ctest fails the script first); adds the number of their
# GoogleTest cases to total_passed. Each ctest test is one GoogleTest suite.
run_suites() {
  local dir=$1 suite cases
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
  for suite in "$dir"/tests/zt640_*_tests; do
    cases=$("$suite" --gtest_list_tests | grep -c '^  ' || true)
    total_passed=$((total_passed + cases))
  done
}

configure_and_build() {
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

# Every header, CMake package and library the build used must come from a package the
# install script installs (or one of their hard dependencies): a package that merely
# happens to be on this machine would be missing on a fresh one.
check_install_deps() {
  local checker="$root/../shared/tools/check-install-deps"
  if [ ! -x "$checker" ]; then
    echo "install-deps check skipped: $checker is not here"
    return 0
  fi
  # shellcheck disable=SC2046
  "$checker" "$1" $("$root/scripts/install-deps.sh" --list)
}

# Prints how long the stage since the last call took, so slow stages show in the CI log.
stage_start=$SECONDS
stage_took() {
  echo "-- $1: $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}

echo "== include layers"
"$root/scripts/check-layers.sh"

echo "== build and test (release with warnings as errors)"
# No debug information in the CI builds beyond line tables for the sanitizers' and
# the fuzzers' reports: writing it costs about a third of the compile time.
configure_and_build build/ci-release -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG"
stage_took "release build"
echo "== install list check"
check_install_deps build/ci-release
run_suites build/ci-release
stage_took "release tests"

echo "== install and package check"
"$root/scripts/test-install.sh" build/ci-release
stage_took "install check"

echo "== build and test (address + undefined behaviour sanitizers)"
configure_and_build build/ci-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 \
  -DZT640_SANITIZE=ON -DZT640_BENCH=OFF
stage_took "sanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suites build/ci-asan
stage_took "sanitizer tests"

echo "== fuzz targets (${fuzz_seconds}s each)"
CC=clang CXX=clang++ configure_and_build build/ci-fuzz -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -g1 -DNDEBUG" -DZT640_FUZZ=ON
stage_took "fuzz build"
# Runs one fuzz target for its time on a fresh copy of its seed corpus; the
# summary line (or the failure and the log's end) goes to $2.
run_fuzzer() {
  local fuzzer=$1 out=$2 name corpus seeds log
  name=$(basename "$fuzzer"); name=${name#fuzz_}
  corpus=$(mktemp -d)
  seeds="$root/tests/fuzz/corpus/$name"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  log=$(mktemp)
  if "$fuzzer" -print_final_stats=1 -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -timeout=10 "$corpus" >"$log" 2>&1; then
    echo "-- $name: $(ls "$corpus" | wc -l) corpus inputs, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?') runs" >"$out"
  else
    { echo "-- $name: FAILED"; tail -n 60 "$log"; } >"$out"
  fi
  rm -rf "$corpus" "$log"
}
# The targets run side by side, one per core; each is single-threaded.
fuzz_out=$(mktemp -d)
running=0
for fuzzer in build/ci-fuzz/tests/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  run_fuzzer "$fuzzer" "$fuzz_out/$(basename "$fuzzer")" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait
fuzz_failed=0
for out in "$fuzz_out"/*; do
  [ -e "$out" ] || continue
  cat "$out"
  if grep -q '^-- .*: FAILED$' "$out"; then fuzz_failed=1; else total_passed=$((total_passed + 1)); fi
done
rm -rf "$fuzz_out"
[ "$fuzz_failed" -eq 0 ] || exit 1
stage_took "fuzz runs"
echo "-- all stages: ${SECONDS} s"
echo "tests: $total_passed passed, 0 failed"
