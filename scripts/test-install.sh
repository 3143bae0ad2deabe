#!/usr/bin/env bash
# Checks a finished build as a user gets it: installs it into a staging folder (DESTDIR),
# runs the installed zt640ctl and zt640 against the installed zt640-devsim, validates the
# desktop entry and the AppStream metainfo, compares the udev rule with
# `zt640ctl udev-rules`, and builds the Debian package and checks what it holds.
# Usage: scripts/test-install.sh BUILD_DIR   (a build with the utility, already built)
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
app_id=org.zt640.Zt640

# Short: the simulator's socket paths must fit 107 bytes.
work=$(mktemp -d /tmp/zt640-inst-XXXXXX)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# Every file a user needs, relative to the prefix.
expected=(
  bin/zt640 bin/zt640ctl bin/zt640-devsim
  lib/udev/rules.d/70-zt640.rules lib/zt640/AudioRecord
  "share/applications/$app_id.desktop"
  "share/metainfo/$app_id.metainfo.xml"
  share/icons/hicolor/scalable/apps/zt640.svg
  share/man/man1/zt640.1.gz share/man/man1/zt640ctl.1.gz share/man/man1/zt640-devsim.1.gz
  share/bash-completion/completions/zt640ctl
  share/zt640/DefaultData/Language.config share/zt640/DefaultData/keyboard.Json
  share/zt640/skin/res.xml share/zt640/skin/MainWnd.ui
  share/zt640/autostart/zt640-autostart.desktop
  share/zt640/Font/Simplified_Chinese.ttf share/zt640/Font/Vellum-Regular.otf
  share/zt640/Font/NotoSansThai-Regular.ttf share/zt640/Font/NotoSansCJKtc-Regular.otf
)
# The bitmap icons are drawn only where the build found rsvg-convert.
if grep -q '^ZT640_RSVG_CONVERT:FILEPATH=/' "$build/CMakeCache.txt"; then
  for size in 16 22 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/zt640.png"); done
fi

echo "== install into a staging folder"
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log"
prefix=$stage/usr
for file in "${expected[@]}"; do
  [ -e "$prefix/$file" ] || [ -L "$prefix/$file" ] || fail "not installed: $file"
done
# The fonts are links into the system's font packages (relative, within /usr), never
# into the build tree.
for link in "$prefix"/share/zt640/Font/*; do
  target=$(readlink "$link" || true)
  case $target in
    /*) fail "font link $(basename "$link") is absolute: $target" ;;
  esac
  case $(realpath -m "/usr/share/zt640/Font/$target") in
    /usr/share/fonts/*) ;;
    *) fail "font link $(basename "$link") points to '$target'" ;;
  esac
done
pass "installed files present"

echo "== installed programs against the installed simulator"
sim=$work/sim
"$prefix/bin/zt640-devsim" --root "$sim" >"$work/devsim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q '^ready ' "$work/devsim.log" 2>/dev/null && break; sleep 0.05; done
grep -q '^ready ' "$work/devsim.log" || fail "the installed simulator did not start: $(cat "$work/devsim.log")"
home=$work/home
mkdir -p "$home/run" && chmod 700 "$home/run"
user_env=(env XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run")

info=$("${user_env[@]}" "$prefix/bin/zt640ctl" --root "$sim" info 2>&1) || fail "zt640ctl info: $info"
case $info in
  key_count=132\ *) pass "zt640ctl info: $info" ;;
  *) fail "zt640ctl info printed: $info" ;;
esac

# The installed utility finds its skin in ../share/zt640 (nothing lies beside it), the
# simulated keyboard, and saves a screenshot once its window is shown.
shot=$work/zt640.png
if "${user_env[@]}" QT_QPA_PLATFORM=offscreen ZT640_HID_ROOT="$sim" ZT640_SCREENSHOT="$shot" \
  timeout 60 "$prefix/bin/zt640" >"$work/zt640.log" 2>&1 && [ -s "$shot" ]; then
  pass "zt640 ran offscreen and saved a screenshot"
else
  fail "installed zt640 did not save a screenshot: $(tail -n 5 "$work/zt640.log")"
fi
kill "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
sim_pid=""

echo "== udev rules"
rules=$("${user_env[@]}" "$prefix/bin/zt640ctl" udev-rules)
if [ "$rules" = "$(cat "$prefix/lib/udev/rules.d/70-zt640.rules")" ]; then
  pass "the installed rule is zt640ctl udev-rules' built-in output"
else
  fail "the installed rule differs from zt640ctl udev-rules"
fi
grep -qx 'KERNEL=="hidraw\*", SUBSYSTEM=="hidraw", ATTRS{idVendor}=="320f", ATTRS{idProduct}=="505b", TAG+="uaccess"' \
  <<<"$rules" || fail "no rule for the keyboard 320f:505b"
data_root="$home/data/ZT640 有线RGB Keyboard"
mkdir -p "$data_root"
echo '{"Interfaces":[{"Row":2,"VendorId":"0x320F","ProductId":"0x5089"}]}' >"$data_root/devices.json"
rules=$("${user_env[@]}" "$prefix/bin/zt640ctl" udev-rules)
if grep -q 'ATTRS{idVendor}=="320f", ATTRS{idProduct}=="5089", TAG+="uaccess"' <<<"$rules"; then
  pass "zt640ctl udev-rules adds the ids of devices.json"
else
  fail "zt640ctl udev-rules left out the devices.json ids: $rules"
fi

echo "== desktop integration"
for desktop in "$prefix/share/applications/$app_id.desktop" "$prefix/share/zt640/autostart/zt640-autostart.desktop"; do
  if out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ]; then
    pass "desktop-file-validate $(basename "$desktop")"
  else
    fail "desktop-file-validate $(basename "$desktop"): $out"
  fi
done
grep -qx 'Exec=zt640 --hidden' "$prefix/share/zt640/autostart/zt640-autostart.desktop" ||
  fail "the autostart entry does not start the utility hidden"
if out=$(appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" 2>&1); then
  pass "appstreamcli validate"
else
  fail "appstreamcli validate: $out"
fi
for page in zt640 zt640ctl zt640-devsim; do
  text=$(gzip -dc "$prefix/share/man/man1/$page.1.gz") || fail "man page $page is not a gzip file"
  grep -q '^\.SH NAME' <<<"$text" || fail "man page $page has no NAME section"
done
completion=$(bash -c 'source "$1"; PATH="$2:$PATH"; COMP_WORDS=(zt640ctl udev); COMP_CWORD=1; _zt640ctl; echo "${COMPREPLY[*]}"' \
  _ "$prefix/share/bash-completion/completions/zt640ctl" "$prefix/bin")
[ "$completion" = "udev-rules" ] || fail "bash completion of 'zt640ctl udev' gave '$completion'"
pass "man pages and bash completion"

echo "== Debian package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; exit 1; }
deb=$(ls "$work"/package/*.deb)
echo "package: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./||; s|/$||' | sort >"$work/package.list"
for file in "${expected[@]}"; do
  grep -qx "usr/$file" "$work/package.list" || fail "not in the package: usr/$file"
done
# Only the installed layout: no build products, nothing outside these folders.
if unexpected=$(grep -Ev '^(usr|usr/bin(/zt640|/zt640ctl|/zt640-devsim)?|usr/lib|usr/lib/udev(/rules\.d(/70-zt640\.rules)?)?|usr/lib/zt640(/AudioRecord)?|usr/share|usr/share/(applications|metainfo|icons|man|bash-completion|doc|zt640)(/.*)?)$' \
  "$work/package.list"); then
  fail "unexpected files in the package: $unexpected"
fi
if grep -E '\.(o|a|cmake)$|CMakeFiles|_tests$|CMakeCache' "$work/package.list"; then fail "build products in the package"; fi
dpkg-deb -x "$deb" "$work/unpacked"
for program in zt640 zt640ctl zt640-devsim; do
  if readelf -d "$work/unpacked/usr/bin/$program" | grep -Eq 'R(UN)?PATH'; then fail "$program carries a run path"; fi
  if grep -q -- "$build" "$work/unpacked/usr/bin/$program"; then fail "$program names the build folder"; fi
done
depends=$(dpkg-deb -f "$deb" Depends)
case $depends in
  *libqt6widgets6*libjsoncpp* | *libjsoncpp*libqt6widgets6*) ;;
  *) fail "Depends lacks the libraries found by shlibdeps: $depends" ;;
esac
case $depends in *fonts-noto-cjk*) ;; *) fail "Depends lacks the font packages: $depends" ;; esac
# Loaded at run time, so only the explicit list names them.
for runtime in libcurl4 libasound2; do
  case $depends in *"$runtime"*) ;; *) fail "Depends lacks $runtime: $depends" ;; esac
done
# The post-install script must pass where udev does not run (as in this container).
dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] || fail "the package has no executable postinst"
sh "$work/control/postinst" configure || fail "postinst configure failed"
pass "package contents, dependencies and post-install script"

if [ "$failures" -ne 0 ]; then
  echo "install check: $failures failure(s)" >&2
  exit 1
fi
echo "install check: all passed"
