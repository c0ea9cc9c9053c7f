#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, once: later
# runs find them installed and print nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++                                  # native build, sanitizers
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32    # both Windows runtimes
  wine wine64 xvfb                                       # running them headless
  libstb-dev                                             # PNG logos: stb_image.h for the tool
  wixl                                                   # the tool's msi verb builds packages with it
  doctest-dev                                            # the test framework, header-only
  imagemagick                                            # the demo's screen captures
  clang libclang-rt-14-dev                               # libFuzzer for the fuzz harnesses
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
