#!/usr/bin/env bash
# Plants small faults in the product code, one at a time, and runs the test
# command's layers until one fails: a fault that no layer catches is a hole in
# the tests. Each fault is one edit from scripts/faults.list; the tree is put
# back after each, whatever happens.
#
#   scripts/plant-faults.sh [--check] [--list FILE] [fault-id...]
#
# --check only plants each fault and builds, to show that every fault applies
# and compiles. Results go to build/faults/results.txt, a line per fault:
# "caught <layer> <test>", "MISSED", or "unusable <why>". It takes a while:
# run it in the background. It is not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
list=scripts/faults.list check=0 only=()
while [ $# -gt 0 ]; do
  case $1 in
    --check) check=1 ;;
    --list) list=$2; shift ;;
    *) only+=("$1") ;;
  esac
  shift
done

# The list: a line "@ id path" opens a fault, "- text" is what it replaces
# (found exactly once in the file), "+ text" the replacement (may be empty).
declare -a ids paths olds news
while IFS= read -r line || [ -n "$line" ]; do
  case $line in
    "@ "*) read -r _ id path <<< "$line"; ids+=("$id"); paths+=("$path"); olds+=(""); news+=("") ;;
    "- "*) olds[${#ids[@]}-1]=${line:2} ;;
    "+ "*|"+") news[${#ids[@]}-1]=${line:2} ;;
  esac
done < "$list"

planted=""
put_back() { [ -z "$planted" ] || cp "$out/original" "$planted"; planted=""; }
trap put_back EXIT
out=build/faults
mkdir -p "$out"
results=$out/results.txt
: > "$results"

scripts/bootstrap.sh
scripts/build.sh >/dev/null
if [ $check -eq 0 ]; then
  source scripts/wine-session.sh
  trap 'glimmora_end_session; put_back' EXIT
fi

layers=("native build/native unit|tool" "native32 build/native32 unit32" "static32 build/win32 static"
        "static64 build/win64 static" "wine build/win64 wine" "e2e build/win64 e2e")
# The 32-bit saver's end-to-end cases only where Wine runs them: elsewhere
# their failures would count as catches.
[ $check -eq 1 ] || [ "$glimmora_wine_halves" != 32+64 ] || layers+=("e2e32 build/win64 e2e32")
# The two-monitor case in its own prefix and X server, as the test command runs it.
layers+=("monitors build/win64 e2e_monitors scripts/two-monitors.sh")

plant() {   # file, old, new: replaces the only occurrence of old, or fails
  OLD=$2 NEW=$3 perl -0777 -i -pe '
    my $n = () = /\Q$ENV{OLD}\E/g;
    die "found $n times\n" unless $n == 1;
    s/\Q$ENV{OLD}\E/$ENV{NEW}/;' "$1"
}

caught=0 missed=0 unusable=0
for i in "${!ids[@]}"; do
  id=${ids[$i]} path=${paths[$i]}
  if [ ${#only[@]} -gt 0 ] && [[ " ${only[*]} " != *" $id "* ]]; then continue; fi
  cp "$path" "$out/original"
  planted=$path
  verdict=""
  if ! why=$(plant "$path" "${olds[$i]}" "${news[$i]}" 2>&1); then
    verdict="unusable: $why"
  elif ! scripts/build.sh >"$out/$id.build.log" 2>&1; then
    verdict="unusable: does not build (see $out/$id.build.log)"
  elif [ $check -eq 1 ]; then
    verdict="builds"
  else
    verdict=MISSED
    for layer in "${layers[@]}"; do
      read -r name tree label runner <<< "$layer"
      if ! ${runner:-} ctest --test-dir "$tree" -L "^($label)\$" --stop-on-failure --timeout 300 \
           >"$out/$id.$name.log" 2>&1; then
        test=$(grep -oE '[0-9]+/[0-9]+ Test +#[0-9]+: [A-Za-z0-9_]+ \.*\*{0,3}(Failed|Timeout|Exception|[A-Z][a-z]+)' \
               "$out/$id.$name.log" | grep -v Passed | head -1 | awk '{print $4}')
        verdict="caught $name ${test:-?}"
        break
      fi
    done
  fi
  put_back
  case $verdict in caught*) caught=$((caught + 1)) ;; MISSED) missed=$((missed + 1)) ;; builds) ;; *) unusable=$((unusable + 1)) ;; esac
  printf '%-40s %s\n' "$id" "$verdict" | tee -a "$results"
done
scripts/build.sh >/dev/null
echo "faults: $caught caught, $missed missed, $unusable unusable" | tee -a "$results"
[ $missed -eq 0 ] && [ $unusable -eq 0 ]
