#!/bin/sh
# CPU of the audio capture process AudioRecord as a share of one core: first idle (not
# connected, recording nothing), then while it analyses a generated 1 kHz tone fed
# through its input path and sends 30 spectrum and level blocks a second to a receiving
# window (zt640ctl audio level), measured over SECONDS (default 20).
# usage: bench/bench_audiorecord_cpu.sh BUILD_DIR [SECONDS]
set -eu
build=${1:?usage: bench_audiorecord_cpu.sh BUILD_DIR [SECONDS]}
seconds=${2:-20}
work=$(mktemp -d /tmp/zt640-audiocpu-XXXXXX)
trap 'kill "$capture" "$receiver" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
chmod 700 "$work"
export XDG_RUNTIME_DIR="$work" ZT640_DEBUG=0
receiver=""
"$build/app/AudioRecord" --tone 1000 > "$work/capture.log" 2>&1 &
capture=$!
sleep 1
ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$capture/stat"; }
measure() {
  before=$(cpu); sleep "$2"; after=$(cpu)
  awk -v d=$((after - before)) -v t="$ticks" -v s="$2" -v what="$1" \
    'BEGIN { printf "%s: %.2f %% of one core over %d s\n", what, 100 * d / t / s, s }'
}
# Idle: started, nothing connected yet (it records nothing before the first start).
measure "capture idle" 5
"$build/tools/ctl/zt640ctl" audio level --seconds $((seconds + 3)) > "$work/levels.txt" &
receiver=$!
sleep 2
measure "capture sending (1 kHz tone)" "$seconds"
wait "$receiver"
receiver=""
echo "last levels: $(tail -n 1 "$work/levels.txt")"
