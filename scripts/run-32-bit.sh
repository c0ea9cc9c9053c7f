#!/bin/sh
# Runs a static 32-bit x86 Linux program: directly where the kernel runs
# 32-bit programs, else under qemu-i386's user-mode emulation, which needs
# nothing registered with the kernel.
set -eu
if [ "${GLIMMORA_KERNEL_RUNS_32_BIT:-$("$(dirname "$0")"/kernel-runs-32-bit.sh)}" = yes ]; then
  echo "run directly: the kernel runs 32-bit programs"
  exec "$@"
fi
echo "run under qemu-i386: the kernel does not run 32-bit programs"
exec qemu-i386 "$@"
