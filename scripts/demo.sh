#!/usr/bin/env bash
# The main job: installs what is missing, builds both runtimes and the
# authoring tool, makes "Glimmora Demo.scr" from the bundled sample logo
# (32-bit, the saver to ship, and 64-bit, which Wine runs here), and runs it:
# on your display when there is one, until a key, click or mouse movement
# ends it; otherwise headless in Xvfb, each of the seven modes for a few
# seconds, with a PNG capture of each in build/demo/.
#
#   scripts/demo.sh             show it, or capture it when there is no display
#   scripts/demo.sh --capture   capture each mode, on the display there is
#
# GLIMMORA_BUILD (default build) is where the build trees and build/demo go;
# GLIMMORA_DEMO_SECONDS (default 4) how long each mode runs before its capture.
set -euo pipefail
cd "$(dirname "$0")/.."

capture=0
case "${1:-}" in
  --capture) capture=1 ;;
  "") ;;
  *) echo "usage: scripts/demo.sh [--capture]" >&2; exit 2 ;;
esac
build=${GLIMMORA_BUILD:-build}
seconds=${GLIMMORA_DEMO_SECONDS:-4}
demo=$build/demo

scripts/bootstrap.sh
for preset in native win32 win64; do
  target=glimmora
  [ $preset = native ] && target=glimmora-author
  cmake --preset $preset -B "$build/$preset" >/dev/null
  cmake --build "$build/$preset" -j2 --target $target
done

tool=$build/native/glimmora-author
saver="$demo/Glimmora Demo.scr"
saver64="$demo/win64/Glimmora Demo.scr"
mkdir -p "$demo/win64" "$demo/modes"
for runtime in win32 win64; do
  out=$saver
  [ $runtime = win64 ] && out=$saver64
  "$tool" create --runtime "$build/$runtime/glimmora.scr" --logo tools/samples/glimmora-logo.png \
    --config tools/samples/glimmora-demo.conf --out "$out"
done
echo
"$tool" inspect "$saver" | head -3

# Wine runs in a prefix of its own inside the build folder, never the user's.
export WINEPREFIX=$PWD/$demo/wineprefix WINEDEBUG=-all
scripts/wine-prefix.sh "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
# The saver to ship where Wine has its 32-bit half; its 64-bit twin elsewhere.
shown=$saver64
[ "$(cat "$WINEPREFIX/.glimmora-ready")" = 32+64 ] && shown=$saver

display_reachable() {
  [ -n "${DISPLAY:-}" ] || return 1
  case "$DISPLAY" in
    :*) [ -e "/tmp/.X11-unix/X$(echo "${DISPLAY#:}" | cut -d. -f1)" ] ;;
    *) return 0 ;;  # a display on another host: trust it
  esac
}

if [ $capture = 0 ] && display_reachable; then
  echo
  echo "Running \"$shown\" on $DISPLAY: press a key, click or move the mouse to end it."
  wine "$shown" /s || true
  echo "The saver to ship: $saver"
  exit 0
fi

if ! display_reachable; then
  source scripts/xvfb.sh
  trap 'wineserver -k 2>/dev/null || true; glimmora_stop_xvfb' EXIT
  echo "No display: running the saver headless in Xvfb on $DISPLAY."
fi

# One saver per mode, enabled alone; modes that draw nothing yet show the background.
modes=(Static:2 Plain:4 Bounce:8 Many:16 Fade:32 Drip:64 Falling:128)
wineserver -p
for entry in "${modes[@]}"; do
  mode=${entry%%:*} bit=${entry##*:}
  one="$demo/modes/$mode.scr"
  "$tool" set "$shown" --set EnabledModes=$bit --out "$one" >/dev/null
  wine "$one" /s &
  running=$!
  sleep "$seconds"
  import -window root "$demo/$mode.png"
  kill "$running" 2>/dev/null || true
  wait "$running" 2>/dev/null || true
  echo "  $mode: $demo/$mode.png"
done
echo "Captures of the seven modes are in $demo/. The saver to ship: $saver"
