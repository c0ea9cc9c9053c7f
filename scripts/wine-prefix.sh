#!/bin/sh
# Makes the Wine prefix that a build tree's tests run in, once. No Mono or
# Gecko installer is offered, and crashes end quietly instead of opening
# Wine's debugger dialog.
set -eu
prefix=$1
[ -f "$prefix/.glimmora-ready" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.glimmora-ready"
echo "Wine prefix ready: $prefix"
