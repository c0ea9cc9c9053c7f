#!/usr/bin/env bash
# Configures and builds the four trees: native, native32, win32, win64.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in "${@:-native native32 win32 win64}"; do
  for one in $preset; do
    cmake --preset "$one" >/dev/null
    cmake --build --preset "$one" -j2
  done
done
