# Sourced by the scripts that run the Windows programs of build/win64: makes
# the tree's Wine prefix, starts a private Xvfb, and starts one Wine server and
# one set of Wine's own services for the whole run, so that no program pays
# for starting them. They start here, away from ctest's output pipes, which
# ctest would otherwise wait on for as long as they live. glimmora_end_session
# stops them; the EXIT trap calls it.
glimmora_prefix=$PWD/build/win64/wineprefix
scripts/wine-prefix.sh "$glimmora_prefix"
# "32+64" where the prefix runs 32-bit programs too (scripts/wine-prefix.sh).
glimmora_wine_halves=$(cat "$glimmora_prefix/.glimmora-ready")
source scripts/xvfb.sh
glimmora_end_session() { WINEPREFIX=$glimmora_prefix wineserver -k 2>/dev/null || true; glimmora_stop_xvfb; }
trap glimmora_end_session EXIT
WINEPREFIX=$glimmora_prefix wineserver -p
WINEPREFIX=$glimmora_prefix WINEDEBUG=-all wine build/win64/wine_warmup.exe </dev/null >/dev/null 2>&1
