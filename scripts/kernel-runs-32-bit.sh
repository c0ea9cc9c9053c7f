#!/bin/sh
# Prints "yes" when this machine's kernel runs 32-bit x86 programs, "no" when
# it does not (an "Exec format error"). Probes with a tiny static program.
set -eu
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'int main(void) { return 0; }' > "$probe/probe.c"
gcc -m32 -static -o "$probe/probe" "$probe/probe.c"
if "$probe/probe" 2>/dev/null; then echo yes; else echo no; fi
