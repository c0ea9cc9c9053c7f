#!/usr/bin/env bash
# The main job: builds both runtimes and the authoring tool, and makes
# "Glimmora Demo.scr" from the bundled sample logo, 32-bit (the saver to ship)
# and 64-bit, in build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
scripts/build.sh

mkdir -p build/demo/win64
for runtime in win32 win64; do
  out="build/demo/Glimmora Demo.scr"
  [ $runtime = win64 ] && out="build/demo/win64/Glimmora Demo.scr"
  build/native/glimmora-author create \
    --runtime build/$runtime/glimmora.scr \
    --logo tools/samples/glimmora-logo.bmp \
    --out "$out" \
    --description "A Glimmora sample saver" \
    --background "#101830" --transparent "#FF00FF"
done
echo
build/native/glimmora-author inspect "build/demo/Glimmora Demo.scr"
