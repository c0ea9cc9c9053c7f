#!/bin/sh
# Checks a built runtime without running it: PE32 or PE32+ as asked, the
# Windows GUI subsystem, imports from Windows system DLLs only, at most
# max-bytes long (0: any length), and no static constructors in the objects
# it is linked from: it starts without the C runtime, so nothing would run them.
#   check_pe.sh objdump runtime PE32|PE32+ max-bytes object-or-archive...
set -eu
objdump=$1 file=$2 magic=$3 limit=$4
shift 4
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

imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || fail "no imports found"
for dll in $imports; do
  case $dll in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|comctl32.dll|shell32.dll|msimg32.dll|msvcrt.dll) ;;
    *) fail "imports $dll, which is not a Windows system DLL" ;;
  esac
done
size=$(wc -c < "$file")
[ "$limit" -eq 0 ] || [ "$size" -le "$limit" ] || fail "$size bytes, more than $limit"
for object in "$@"; do
  sections=$("$objdump" -h "$object") || fail "cannot read $object"
  ! echo "$sections" | grep -Eq '[[:space:]]\.(ctors|init_array)' || fail "$object has static constructors"
done
echo "$file: $magic, GUI, $size bytes, imports:" $imports
[ $failed -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $failed
