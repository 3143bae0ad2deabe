#!/usr/bin/env bash
# Start-up time (process start to window shown) and resident memory after start of the
# utility, beside the floor of a bare QApplication + empty QWidget built the same way.
# Usage: bench/bench_startup.sh [BUILD_DIR] [RUNS]   (offscreen unless QT_QPA_PLATFORM is set)
set -euo pipefail
build=${1:-build/release}
runs=${2:-10}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
runtime=$(mktemp -d); chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$runtime ZT640_HID_ROOT=$runtime/no-devices

measure() {
  local name=$1; shift
  local total_ms=0 total_kib=0
  for _ in $(seq "$runs"); do
    launch=$(python3 -c 'import time; print(time.monotonic_ns())')
    out=$(ZT640_STARTUP_REPORT=1 ZT640_LAUNCH_NS=$launch "$@" 2>/dev/null)
    ms=$(sed -n 's/^shown_ms=//p' <<<"$out"); kib=$(sed -n 's/^rss_kib=//p' <<<"$out")
    total_ms=$((total_ms + ms)); total_kib=$((total_kib + kib))
  done
  echo "$name: shown after $((total_ms / runs)) ms, resident $((total_kib / runs)) KiB (mean of $runs)"
}
measure "floor (QApplication + QWidget)" "$build/bench/zt640_startup_floor"
measure "zt640" "$build/app/zt640"
