#!/usr/bin/env bash
# Runs the real saver full screen under Wine for ten minutes (or the given
# number of seconds) with a mode change forced every second, and prints its
# GDI objects and committed memory as the run goes. Not part of the
# test command: it takes as long as it says.
#   scripts/soak.sh          ten minutes
#   scripts/soak.sh 120      two
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
scripts/bootstrap.sh
scripts/build.sh native win64
cmake --build --preset win64 --target saver_soak >/dev/null
source scripts/wine-session.sh
build/win64/wine-run build/win64/saver_soak.exe "$seconds"
