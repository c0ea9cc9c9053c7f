#!/usr/bin/env bash
# Prints what each animation mode costs, under Wine in a 1920 x 1080 Xvfb:
# per step against floors, Fade's blend against its formula, and the whole
# saver's CPU time over ten seconds of each mode beside an idle window with a
# timer of the same period. Takes about three minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
scripts/build.sh native win64
prefix=$PWD/build/win64/wineprefix
scripts/wine-prefix.sh "$prefix"
GLIMMORA_SCREEN=1920x1080x24 source scripts/xvfb.sh
cleanup() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; glimmora_stop_xvfb; }
trap cleanup EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all
wineserver -p
build/win64/wine-run build/win64/mode_bench.exe

# Wine does not report other processes' CPU times, so Linux's accounting of
# the Wine process is read instead.
work=build/win64/e2e-work/mode_bench
ticks=$(getconf CLK_TCK)
cpu_seconds() { awk -v ticks="$ticks" '{ printf "%.2f", ($14 + $15) / ticks }' "/proc/$1/stat"; }
run_for_ten_seconds() {
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 10
  cpu_seconds "$pid"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}
echo "Whole process over 10 s at default settings, CPU seconds:"
printf '  %-8s %6s %8s %14s\n' mode tick saver "idle window"
for row in Static:2:1000 Plain:4:5000 Bounce:8:10 Many:16:300 Fade:32:10 Drip:64:410 Falling:128:5; do
  IFS=: read -r name bit period <<< "$row"
  build/native/glimmora-author create --runtime build/win64/glimmora.scr --logo "$work/bench-logo.bmp" \
    --out "$work/bench.scr" --transparent '#FF00FF' --set ChangeModeEnabled=0 --set EnabledModes="$bit" >/dev/null
  saver=$(run_for_ten_seconds wine "$work/bench.scr" /s)
  idle=$(run_for_ten_seconds wine build/win64/mode_bench.exe idle "$period")
  printf '  %-8s %4s ms %8s %14s\n' "$name" "$period" "$saver" "$idle"
done
