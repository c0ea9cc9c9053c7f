#!/bin/sh
# Checks a built runtime without running it: PE32 or PE32+ as asked, the
# Windows GUI subsystem, and imports from Windows system DLLs only.
set -eu
objdump=$1 file=$2 magic=$3
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
echo "$file: $magic, GUI, imports:" $imports
[ $failed -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $failed
