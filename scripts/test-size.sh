#!/usr/bin/env bash
# Prints the lines of test source under tests/ against the product's source
# under src/ and tools/. Data (fuzz corpora, sample logos) is not source.
set -euo pipefail
cd "$(dirname "$0")/.."
source_lines() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.def' -o -name '*.sh' -o -name '*.rc' \
       -o -name '*.in' -o -name 'CMakeLists.txt' -o -name '*.cmake' \) -not -path '*/corpus/*' -print0 \
    | xargs -0 cat | wc -l
}
tests=$(source_lines tests) product=$(source_lines src tools)
awk -v t="$tests" -v p="$product" 'BEGIN { printf "test size: %d test lines, %d product lines, ratio %.2f\n", t, p, t / p }'
