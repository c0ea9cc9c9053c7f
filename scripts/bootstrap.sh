#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, once: later
# runs find them installed and print nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++                                  # native build, sanitizers
  g++-multilib qemu-user                                 # the platform-free code as 32-bit x87 code
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32    # both Windows runtimes
  wine wine64 xvfb                                       # running them headless
  fonts-wine                                             # Wine's Tahoma: dialogs measured in the font Windows uses
  x11-xserver-utils                                      # xrandr: two monitors in one Xvfb
  libstb-dev                                             # PNG logos: stb_image.h for the tool
  wixl                                                   # the tool's msi verb builds packages with it
  osslsigncode openssl                                   # the sign verb; the tests' throwaway certificates
  doctest-dev                                            # the test framework, header-only
  imagemagick                                            # the demo's screen captures
  clang libclang-rt-14-dev                               # libFuzzer for the fuzz harnesses
)

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" = "install ok installed" ]; }
install() {
  echo "Installing: $*"
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] || install "${missing[@]}"

# The shipped saver is 32-bit. Wine runs it only with its 32-bit half, which
# needs a kernel that runs 32-bit programs; where the kernel cannot, that half
# would break the wine command itself, so it is left out and the tests of the
# 32-bit saver are skipped.
installed wine32:i386 && exit 0
[ "$("$(dirname "$0")"/kernel-runs-32-bit.sh)" = yes ] || exit 0
dpkg --print-foreign-architectures | grep -qx i386 || "${as_root[@]}" dpkg --add-architecture i386
install wine32:i386
