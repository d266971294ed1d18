#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Under an address-space limit (ulimit -v) a formula that needs more memory
# fails with "not enough memory", and the next line is still answered; the
# process is never aborted. Usage: memory_limits.sh KORUND_CLI
set -u
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '[Calculation]\nDigitsUse=65535\n' > "$work/high.ini"
: > "$work/default.ini"
{ printf '1'; head -c 10000000 /dev/zero | tr '\0' '2'; printf '\n1+1\n'; } > "$work/digits"
failures=0
# run LIMIT_KB INI FORMULA-OR-@FILE
run() {
  local limit=$1 ini=$2 formula=$3 input=$work/input
  if [[ $formula == @* ]]; then input=${formula#@}; else printf '%s\n1+1\n' "$formula" > "$input"; fi
  local out status
  out=$( (ulimit -v "$limit"; timeout 120 "$cli" --ini "$ini" < "$input" 2>&1); echo "status $?")
  status=${out##*status }
  if [ "$status" -ge 124 ] || ! grep -qx 2 <<<"$out" || grep -q 'std::' <<<"$out"; then
    echo "FAIL: limit ${limit} KB, ${formula:0:40}: $(head -c 300 <<<"$out" | tr '\n' '|')"
    failures=$((failures + 1))
  fi
}
for limit in 30000 50000 90000 150000; do
  run "$limit" "$work/default.ini" @"$work/digits"
done
for limit in 40000 60000 90000; do
  for f in 'invnorm(0.3)' 'norm(1)' 'sum(1,1,50,1/i)' 'fak(100000)'; do
    run "$limit" "$work/high.ini" "$f"
  done
done
run 4000000 "$work/default.ini" 'round(10^(-10^10))+sum(1,10^(-10^10),3,i)'
echo "memory limits: $failures failed"
[ "$failures" -eq 0 ]
