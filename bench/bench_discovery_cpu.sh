#!/bin/sh
# Whole-process CPU and wake-ups of the running utility with the simulated keyboard
# connected, measured over SECONDS (default 60) with the window shown, then hidden,
# the keyboard running lighting mode MODE (default 5). Wake-ups are the voluntary and
# involuntary context switches of all the process's threads.
# usage: bench/bench_discovery_cpu.sh BUILD_DIR [SECONDS] [MODE] [SIMULATOR OPTION...]
# Simulator options such as --mouse add devices; their ids reach the utility through
# the devices.json the simulator writes. A simulated --pad or --headset runs lighting
# mode ZONE_MODE (default 0, the wave, which the host renders frame by frame).
# In the audio modes (29, 30) the capture process the utility starts hears silence on a
# machine without a sound server; ZT640_AUDIORECORD_TONE=HZ/PULSE (e.g. 1000/3) feeds it
# a tone whose loudness swells, so the colours change from block to block as with music.
set -eu
build=${1:?usage: bench_discovery_cpu.sh BUILD_DIR [SECONDS]}
seconds=${2:-60}
mode=${3:-5}
shift $(( $# < 3 ? $# : 3 ))
work=$(mktemp -d /tmp/zt640-cpu-XXXXXX)
trap 'kill "$app" "$sim" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/run" "$work/data" "$work/config"
chmod 700 "$work/run"
data_root="$work/data/ZT640 有线RGB Keyboard"
mkdir -p "$data_root"
"$build/tools/devsim/zt640-devsim" --root "$work/hid" --devices-json "$data_root/devices.json" "$@" \
  > "$work/sim.log" 2>&1 &
sim=$!
sleep 1
export ZT640_HID_ROOT="$work/hid" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" \
  XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$build/tools/ctl/zt640ctl" keyboard light --mode "$mode" > /dev/null
for option in "$@"; do
  case "$option" in
    --pad) "$build/tools/ctl/zt640ctl" pad light --mode "${ZONE_MODE:-0}" > /dev/null ;;
    --headset) "$build/tools/ctl/zt640ctl" headset light --mode "${ZONE_MODE:-0}" > /dev/null ;;
  esac
done
"$build/app/zt640" > "$work/app.log" 2>&1 &
app=$!
sleep 5
ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
switches() { cat /proc/"$app"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'; }
measure() {
  before=$(cpu); woken=$(switches); sleep "$seconds"; after=$(cpu); woken_after=$(switches)
  awk -v d=$((after - before)) -v w=$((woken_after - woken)) -v t="$ticks" -v s="$seconds" -v what="$1" \
    'BEGIN { printf "%s: %.2f %% of one core, %.1f wake-ups per second over %d s\n", what, 100 * d / t / s, w / s, s }'
}
measure "window shown"
# A tray left click (message 1025, lParam 514) hides the shown window.
ZT640_DEBUG=0 "$build/tools/ctl/zt640ctl" send 1025 0 514 > /dev/null
sleep 1
measure "window hidden"
