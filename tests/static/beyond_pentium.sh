#!/usr/bin/env bash
# Fails when 32-bit x86 code holds an instruction that a Pentium (i586) lacks:
# conditional moves, x87 compares into flags, MMX, SSE and what came with
# them. The data that ends a code section reads as "(bad)" and is no match.
#   beyond_pentium.sh objdump file...
set -eu
objdump=$1
shift
beyond=$("$objdump" -d --no-show-raw-insn "$@" | awk -F'\t' 'NF >= 2 { print $2 }' |
  grep -E '^(cmov|fcmov|fcomi|fucomi|emms|prefetch|[slm]fence|movnti|clflush|ldmxcsr|stmxcsr|fxsave|fxrstor|sysenter|sysexit|rdpmc|ud2|nop[wl])|%x?mm' || true)
if [ -n "$beyond" ]; then
  echo "FAILED: $(echo "$beyond" | wc -l) instructions beyond the Pentium (i586) in $*:" \
    $(echo "$beyond" | awk '{ print $1 }' | sort | uniq -c | awk '{ print $2 " x" $1 "," }')
  exit 1
fi
