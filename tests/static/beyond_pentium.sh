#!/usr/bin/env bash
# Fails on 32-bit x86 code holding what a Pentium (i586) lacks: cmov, fcmov, fcomi, fucomi, MMX, SSE and what came
# with them. The data that ends a code section reads as "(bad)", no match; ud2, which compilers put after calls that
# never return, faults on every x86 processor as it is meant to.   beyond_pentium.sh objdump file...
set -eu
beyond=$("$1" -d --no-show-raw-insn "${@:2}" | awk -F'\t' 'NF >= 2 { print $2 }' | grep -E \
  '^(cmov|fcmov|fcomi|fucomi|emms|prefetch|[slm]fence|movnti|clflush|ldmxcsr|stmxcsr|fxsave|fxrstor|sysenter|sysexit|rdpmc|nop[wl])|%x?mm' || true)
[ -z "$beyond" ] || { echo "FAILED: beyond the Pentium (i586) in ${*:2}:" $(echo "$beyond" | awk '{ print $1 }' | sort | uniq -c); exit 1; }
