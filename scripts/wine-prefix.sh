#!/bin/sh
# Makes the Wine prefix that a build tree's tests run in, once. No Mono or
# Gecko installer is offered, and crashes end quietly instead of opening
# Wine's debugger dialog. A prefix made before Wine's 32-bit half was
# installed cannot run 32-bit programs: it is made anew. Wine's own Tahoma
# (Debian's fonts-wine), the dialog font of Windows, goes into the prefix's
# font folder, where this Wine finds it (it misses its own copy).
set -eu
prefix=$1
halves=64
[ "$(dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null || true)" = "install ok installed" ] && halves=32+64
fonts() {
  for font in /usr/share/wine/fonts/tahoma*.ttf; do
    [ ! -e "$font" ] || [ -e "$prefix/drive_c/windows/Fonts/${font##*/}" ] || cp "$font" "$prefix/drive_c/windows/Fonts/"
  done
}
[ "$(cat "$prefix/.glimmora-ready" 2>/dev/null || true)" = "$halves" ] && fonts && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
fonts
echo "$halves" > "$prefix/.glimmora-ready"
echo "Wine prefix ready ($halves-bit): $prefix"
