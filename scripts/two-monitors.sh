#!/usr/bin/env bash
# Runs a command where Wine sees two monitors of 1024 × 768 side by side, the
# primary on the right, so that the left one starts at x = -1024: a private
# Xvfb of 2048 × 768 split by RandR into two monitors, and a Wine prefix of its
# own (build/win64/wineprefix-monitors) told to read them, so that no other
# test ever runs on this layout. Its Wine server and Xvfb end with the command.
#   scripts/two-monitors.sh command...
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$PWD/build/win64/wineprefix-monitors
scripts/wine-prefix.sh "$prefix" >/dev/null
# -noreset: without it the server resets when xrandr disconnects, and the monitors are gone.
GLIMMORA_SCREEN=2048x768x24 GLIMMORA_XVFB_OPTIONS=-noreset
source scripts/xvfb.sh
export WINEPREFIX=$prefix GLIMMORA_WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" GLIMMORA_MONITORS=2
trap 'wineserver -k 2>/dev/null || true; glimmora_stop_xvfb' EXIT
xrandr --setmonitor LEFT 1024/271x768/203+0+0 screen
xrandr --setmonitor '*RIGHT' 1024/271x768/203+1024+0 none   # '*': the primary
# Wine then reads Xinerama, which reports the RandR monitors; it reads the layout when its server starts.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true
wineserver -w
"$@"
