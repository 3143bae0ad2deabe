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

# One start of "$@"; prints "MS KIB".
start_once() {
  local launch out
  launch=$(python3 -c 'import time; print(time.monotonic_ns())')
  out=$(ZT640_STARTUP_REPORT=1 ZT640_LAUNCH_NS=$launch "$@" 2>/dev/null)
  echo "$(sed -n 's/^shown_ms=//p' <<<"$out") $(sed -n 's/^rss_kib=//p' <<<"$out")"
}

# The floor and the utility start in turn, so a machine that slows down or speeds up
# during the runs weighs on both alike.
floor_ms=0 floor_kib=0 app_ms=0 app_kib=0
for _ in $(seq "$runs"); do
  read -r ms kib < <(start_once "$build/bench/zt640_startup_floor")
  floor_ms=$((floor_ms + ms)); floor_kib=$((floor_kib + kib))
  read -r ms kib < <(start_once "$build/app/zt640")
  app_ms=$((app_ms + ms)); app_kib=$((app_kib + kib))
done
echo "floor (QApplication + QWidget): shown after $((floor_ms / runs)) ms, resident $((floor_kib / runs)) KiB (mean of $runs)"
echo "zt640: shown after $((app_ms / runs)) ms, resident $((app_kib / runs)) KiB (mean of $runs)"
awk -v a="$app_ms" -v f="$floor_ms" 'BEGIN { if (f > 0) printf "ratio: %.2f x the floor\n", a / f }'
