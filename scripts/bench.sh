#!/usr/bin/env bash
# Prints what each animation mode costs, under Wine in a 1920 x 1080 Xvfb:
# per step against floors, Fade's blend against its formula, the saver's and
# the X server's CPU time over eight seconds of each mode beside an idle
# window with a 10 ms timer, and the saver's start to its first frame beside
# a minimal window program's. Takes about three minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh native win64
prefix=$PWD/build/win64/wineprefix
scripts/wine-prefix.sh "$prefix"
GLIMMORA_SCREEN=1920x1080x24 source scripts/xvfb.sh
work=build/win64/e2e-work
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  glimmora_stop_xvfb
  rm -f "$work"/bench-*-$$.*
}
trap cleanup EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all
wineserver -p
build/win64/wine-run build/win64/mode_bench.exe

# The whole cost of each mode: the saver's process and the X server, which
# does Wine's drawing, as a share of one core over a fixed window, read from
# Linux's accounting (/proc/<pid>/stat, user and system time). Wine starts a
# program through start.exe, so each program's own process is found by its
# file name, which this run makes unique. The Wine server, which passes every
# message and timer, is shown apart.
window=8
ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/${1:-0}/stat" 2>/dev/null || echo 0; }
# The Windows process of a program: its command line holds the Windows path
# (Z:\...\name); the launcher's and the shell's hold the Unix one.
windows_process() {
  local pid line
  for pid in /proc/[0-9]*; do
    line=$(tr '\0' ' ' 2>/dev/null < "$pid/cmdline") || continue
    if [[ $line == *"\\$1 "* ]]; then
      echo "${pid#/proc/}"
      return
    fi
  done
}
# This run's Wine server, by the prefix in its environment.
wine_server() {
  local pid
  for pid in $(pgrep -x wineserver64; pgrep -x wineserver); do
    if tr '\0' '\n' 2>/dev/null < "/proc/$pid/environ" | grep -qxF "WINEPREFIX=$prefix"; then
      echo "$pid"
      return
    fi
  done
}
# Percent of one core that the processes took in the window.
share() { awk -v t="$1" -v ticks="$ticks" -v w="$window" 'BEGIN { printf "%.1f %%", 100 * t / ticks / w }'; }
# Runs a Windows program for the window; prints the share of the program and
# the X server, then the Wine server's.
measure() {
  wine "$@" >/dev/null 2>&1 &
  local launcher=$! pid= server
  server=$(wine_server)
  for _ in $(seq 100); do
    pid=$(windows_process "$(basename "$1")")
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || { echo "none none"; return; }
  sleep 3  # past the start and the first frames
  local own=$(cpu_ticks "$pid") x=$(cpu_ticks "$glimmora_xvfb_pid") wine=$(cpu_ticks "$server")
  sleep "$window"
  own=$(( $(cpu_ticks "$pid") - own )) x=$(( $(cpu_ticks "$glimmora_xvfb_pid") - x ))
  wine=$(( $(cpu_ticks "$server") - wine ))
  kill "$pid" "$launcher" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
  sleep 1
  echo "$(share $(( own + x ))| tr -d ' ') $(share "$wine" | tr -d ' ')"
}
make_saver() {  # mode bit, output
  build/native/glimmora-author create --runtime build/win64/glimmora.scr --logo "$work/bench-logo.bmp" \
    --out "$2" --transparent '#FF00FF' --set ChangeModeEnabled=0 --set EnabledModes="$1" >/dev/null
}

echo "Over $window s at 1920 x 1080, defaults, share of one core:"
header=$(printf '  %-22s %12s' "" "idle window")
cp build/win64/mode_bench.exe "$work/bench-idle-$$.exe"
read -r both server <<< "$(measure "$work/bench-idle-$$.exe" idle 10)"
line=$(printf '  %-22s %12s' "saver and X server" "$both")
serverLine=$(printf '  %-22s %12s' "Wine server (apart)" "$server")
for row in Static:2 Plain:4 Bounce:8 Many:16 Fade:32 Drip:64 Falling:128; do
  IFS=: read -r name bit <<< "$row"
  make_saver "$bit" "$work/bench-$name-$$.scr"
  read -r both server <<< "$(measure "$work/bench-$name-$$.scr" /s)"
  header+=$(printf ' %8s' "$name")
  line+=$(printf ' %8s' "$both")
  serverLine+=$(printf ' %8s' "$server")
done
printf '%s\n' "$header" "$line" "$serverLine" "  (the idle window has a 10 ms timer)"

make_saver 2 "$work/bench-start-$$.scr"
build/win64/wine-run build/win64/mode_bench.exe start "$PWD/$work/bench-start-$$.scr" "$PWD/build/win64/first_paint.exe"
