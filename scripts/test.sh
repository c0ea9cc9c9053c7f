#!/usr/bin/env bash
# Builds everything and runs every test:
#   1. native unit tests of the platform-free code and the authoring tool (ASan, UBSan),
#      the platform-free code's tests again as 32-bit x87 code, as the shipped saver
#      computes, and static checks of both runtimes (format, subsystem, imports);
#   2. unit tests under Wine against the real GDI, USER and registry;
#   3. end-to-end tests of the real saver under Wine in Xvfb, and a few of them again
#      with the shipped 32-bit saver where Wine runs 32-bit programs;
# and a short run of every fuzz harness, so that a regression in what reads
# outside input shows at once (scripts/fuzz.sh runs them for longer).
# Exits non-zero when anything fails; the last line counts the test cases.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)

scripts/bootstrap.sh
scripts/build.sh

source scripts/wine-session.sh

total_passed=0 total_failed=0 any_failed=0
summary=""
run_layer() {   # name, build tree, label[, a command that runs ctest]
  local name=$1 tree=$2 label=$3 junit=$PWD/build/results-${3//|/-}.xml
  echo "== $name"
  local status=0
  "${@:4}" ctest --test-dir "$tree" -L "^($label)\$" --output-on-failure --output-junit "$junit" || status=$?
  local counts passed=0 failed=0 programs
  # doctest closes each program with "test cases: N | N passed | N failed";
  # the shell checks close with "N passed, N failed".
  counts=$(grep -oE 'test cases: *[0-9]+ \| *[0-9]+ passed \| *[0-9]+ failed|^[0-9]+ passed, [0-9]+ failed' "$junit" \
           | grep -oE '[0-9]+ passed.*' | tr -dc '0-9 \n' || true)
  while read -r p f; do
    [ -n "$p" ] || continue
    passed=$((passed + p)) failed=$((failed + f))
  done <<< "$counts"
  programs=$(grep '<testcase ' "$junit" | grep -vc 'name="wine_prefix"' || true)
  # A program that died before its closing line still counts as a failure.
  if [ $status -ne 0 ]; then
    any_failed=1
    [ $failed -gt 0 ] || failed=1
  fi
  total_passed=$((total_passed + passed)) total_failed=$((total_failed + failed))
  summary+=$(printf '%-40s %3s programs %4s passed %3s failed' "$name" "$programs" "$passed" "$failed")$'\n'
}

skip_line() { summary+=$(printf '%-40s skipped: %s' "$1" "$2")$'\n'; }

run_layer "1. native unit tests (sanitized)" build/native "unit|tool"
# Asked once; scripts/run-32-bit.sh takes the answer from here.
export GLIMMORA_KERNEL_RUNS_32_BIT=$(scripts/kernel-runs-32-bit.sh)
how="run directly"
[ $GLIMMORA_KERNEL_RUNS_32_BIT = yes ] || how="under qemu-i386"
run_layer "   32-bit x87 build, $how" build/native32 unit32
run_layer "   static checks of the 32-bit runtime" build/win32 static
run_layer "   static checks of the 64-bit runtime" build/win64 static
run_layer "2. unit tests under Wine" build/win64 wine
run_layer "3. end-to-end tests under Wine" build/win64 e2e
if [ $GLIMMORA_KERNEL_RUNS_32_BIT = no ]; then
  skip_line "   end to end, 32-bit saver" "this kernel does not run 32-bit programs, so Wine cannot"
elif [ "$glimmora_wine_halves" != 32+64 ]; then
  skip_line "   end to end, 32-bit saver" "Wine's 32-bit half (wine32:i386) is not installed"
else
  run_layer "   end to end, 32-bit saver" build/win64 e2e32
fi
# In a Wine prefix and an X server of its own, which end with it.
run_layer "   end to end, two monitors" build/win64 e2e_monitors scripts/two-monitors.sh

echo "== fuzz harnesses, 10 s each"
fuzz_passed=0 fuzz_failed=0
fuzz_harnesses=$(grep -c '^glimmora_fuzzer(' cmake/fuzz.cmake)
while read -r line; do
  echo "$line"
  case $line in
    fuzz_*FAILED*) fuzz_failed=$((fuzz_failed + 1)) ;;
    fuzz_*executions*) fuzz_passed=$((fuzz_passed + 1)) ;;
  esac
done < <(scripts/fuzz.sh 10 || true)
[ $fuzz_failed -eq 0 ] && [ $fuzz_passed -eq $fuzz_harnesses ] || any_failed=1
[ $fuzz_passed -eq $fuzz_harnesses ] || [ $fuzz_failed -gt 0 ] || fuzz_failed=1
total_passed=$((total_passed + fuzz_passed)) total_failed=$((total_failed + fuzz_failed))
summary+=$(printf '%-40s %3s programs %4s passed %3s failed' "   fuzz harnesses (smoke)" $fuzz_harnesses "$fuzz_passed" "$fuzz_failed")$'\n'

echo
printf '%s' "$summary"
scripts/test-size.sh
echo "wall time: $(( $(date +%s) - started )) s"
echo "tests: $total_passed passed, $total_failed failed"
exit $any_failed
