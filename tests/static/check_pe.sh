#!/usr/bin/env bash
# Checks a built runtime without running it: PE32 or PE32+ as asked, the
# Windows GUI subsystem, only imports on the reviewed list, at most max-bytes
# long (0: any length), for PE32 nothing a Pentium lacks, and no static
# constructors in the objects it is linked from: it starts without the C
# runtime, so nothing would run them.
#   check_pe.sh objdump runtime PE32|PE32+ max-bytes imports-list object-or-archive...
set -eu
objdump=$1 file=$2 magic=$3 limit=$4 allowed=$5
shift 5
headers=$("$objdump" -p "$file")
failed=0
fail() { echo "FAILED: $*"; failed=1; }

case $magic in
  PE32) expected_magic="010b" ;;
  PE32+) expected_magic="020b" ;;
  *) echo "unknown format $magic"; exit 2 ;;
esac
echo "$headers" | grep -Eq "^Magic[[:space:]]+$expected_magic" || fail "not $magic"
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+00000002' || fail "not the Windows GUI subsystem"

# "dll function" for every import, DLL names in lower case.
imports=$(echo "$headers" | awk '/^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
  dll != "" && /^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[^[:space:]]+$/ { print dll, $3 }
  /^[[:space:]]*$/ { dll = "" }')
[ -n "$imports" ] || fail "no imports found"
listed=$(sed -e 's/#.*//' -e 's/|.*//' "$allowed" | awk -F: 'NF == 2 { n = split($2, f, " "); for (i = 1; i <= n; ++i) print tolower($1), f[i] }')
unlisted=$(comm -23 <(echo "$imports" | sort -u) <(echo "$listed" | sort -u))
[ -z "$unlisted" ] || fail "imports what some supported Windows lacks (see $allowed):" $unlisted
size=$(wc -c < "$file")
[ "$limit" -eq 0 ] || [ "$size" -le "$limit" ] || fail "$size bytes, more than $limit"
[ "$magic" != PE32 ] || "$(dirname "$0")/beyond_pentium.sh" "$objdump" "$file" || failed=1
for object in "$@"; do
  sections=$("$objdump" -h "$object") || fail "cannot read $object"
  ! echo "$sections" | grep -Eq '[[:space:]]\.(ctors|init_array)' || fail "$object has static constructors"
done
echo "$file: $magic, GUI, $size bytes, $(echo "$imports" | wc -l) imports from" $(echo "$imports" | awk '{ print $1 }' | sort -u)
[ $failed -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $failed
