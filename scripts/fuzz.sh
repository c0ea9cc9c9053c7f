#!/usr/bin/env bash
# Runs every fuzz harness for the given number of seconds each (default 60),
# starting from the committed seed corpus and growing a corpus of its own in
# build/fuzz/corpus. Prints each harness's executions and coverage; a crash
# leaves its input in build/fuzz/ and fails the run.
#   scripts/fuzz.sh 1800                 every harness for half an hour
#   scripts/fuzz.sh 600 bmp logo         only these
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(package bmp command_line logo layout config signature)

scripts/bootstrap.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

failed=0
for harness in "${harnesses[@]}"; do
  corpus=build/fuzz/corpus/$harness
  mkdir -p "$corpus"
  cp -n tests/fuzz/corpus/"$harness"/* "$corpus"/
  log=build/fuzz/$harness.log
  status=0
  build/fuzz/fuzz_"$harness" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/"$harness"- \
    "$corpus" >"$log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
  if [ $status -eq 0 ]; then
    printf 'fuzz_%-13s %10s executions in %s s, %s, corpus %s inputs\n' "$harness" "${executions:-?}" "$seconds" \
      "${coverage:-no coverage figure}" "$(ls "$corpus" | wc -l)"
  else
    failed=1
    echo "fuzz_$harness FAILED (exit $status); the end of $log:"
    tail -30 "$log"
  fi
done
exit $failed
