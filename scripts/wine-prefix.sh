#!/bin/sh
# Makes the Wine prefix that a build tree's tests run in, once. No Mono or
# Gecko installer is offered, and crashes end quietly instead of opening
# Wine's debugger dialog. A prefix made before Wine's 32-bit half was
# installed cannot run 32-bit programs: it is made anew.
set -eu
prefix=$1
halves=64
[ "$(dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null || true)" = "install ok installed" ] && halves=32+64
[ "$(cat "$prefix/.glimmora-ready" 2>/dev/null || true)" = "$halves" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
echo "$halves" > "$prefix/.glimmora-ready"
echo "Wine prefix ready ($halves-bit): $prefix"
