#!/usr/bin/env bash
# Builds (release) if needed, starts the device simulator with a keyboard, a mouse, a
# mouse pad and a headset, shows what it offers and opens the utility against it. The
# simulated devices' ids reach the utility through a devices.json in a data folder of
# this run only, so the user's own profiles and settings stay untouched. Without a
# display the utility runs under Xvfb, saves a screenshot build/release/zt640.png and
# exits.
# Screenshot options (environment): ZT640_SHOT=FILE saves there instead;
# ZT640_SCREEN=WxHxDEPTH sizes the virtual screen (default 1280x800x24; a screen wider
# than 1500 and taller than 960 pixels makes the window choose its 144-dpi scale);
# ZT640_BUILD_DIR picks another build folder; ZT640_LAYOUT_DUMP=FILE also writes the
# keyboard picture's layout.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZT640_BUILD_DIR:-build/release}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZT640_TESTS=OFF -DZT640_BENCH=OFF >/dev/null
fi
# Incremental: quick when nothing changed since the last run.
cmake --build "$build" -j "$(nproc)" --target zt640 zt640ctl zt640-devsim

root=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$root"
}
trap cleanup EXIT

devsim="$build/tools/devsim/zt640-devsim"
if [ -x "$devsim" ]; then
  export XDG_DATA_HOME="$root/data"
  data_root="$XDG_DATA_HOME/ZT640 有线RGB Keyboard"
  mkdir -p "$data_root"
  "$devsim" --root "$root/hid" --keyboard --mouse --pad --headset --devices-json "$data_root/devices.json" \
    > "$root.devsim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 50); do [ -s "$root.devsim.log" ] && break; sleep 0.1; done
  head -n 1 "$root.devsim.log" || true
  "$build/tools/ctl/zt640ctl" --root "$root/hid" list || true
  "$build/tools/ctl/zt640ctl" --root "$root/hid" info || true
  # Lively lighting modes, so the pictures show their lights.
  "$build/tools/ctl/zt640ctl" --root "$root/hid" keyboard light --mode "${ZT640_DEMO_MODE:-4}" || true
  "$build/tools/ctl/zt640ctl" --root "$root/hid" headset light --mode 0 || true
else
  echo "device simulator not built; starting the utility without it"
fi

export ZT640_HID_ROOT=$root/hid
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$build/app/zt640"
else
  shot=${ZT640_SHOT:-$(pwd)/$build/zt640.png}
  echo "no display: running under Xvfb and saving $shot"
  ZT640_SCREENSHOT="$shot" xvfb-run -a -s "-screen 0 ${ZT640_SCREEN:-1280x800x24}" "$build/app/zt640"
fi
rm -f "$root.devsim.log"
