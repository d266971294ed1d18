#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the benchmark workloads through korund-cli, GNU bc (bc -l) and qalc,
# each as a whole process, and prints Korund's speed ratio to each peer.
# Usage: bench/peers.sh [BUILD_DIR] [TIMEOUT_SECONDS]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
limit=${2:-300}
"$root/scripts/bootstrap" bc qalc >/dev/null || exit 1
cli="$build/bin/korund-cli"
[ -x "$cli" ] || { echo "build korund-cli first (make build)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ini() { # native digits
  printf '[Calculation]\nDigitsUse=%s\nDigitsDrop=2\nAngleMode=1\n' "$1" > "$work/k$1.ini"
  echo "$work/k$1.ini"
}
small=$(ini 6)
big=$(ini 9999)

# Seconds taken by a command, or "-" after the time limit or on failure.
run() {
  local start end
  start=$(date +%s.%N)
  if timeout "$limit" "$@" > "$work/out" 2>&1; then
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l | awk '{printf "%.3f", $1}'
  else
    echo "-"
  fi
}

bc_w1='scale=29; s=0; for(i=1;i<=1000000;i++) s+=1/i^2; s'
bc_w2='scale=29; p=4*a(1)/180; t=0; for(i=1;i<=100000;i++) t+=s(i*p)*l(i)+sqrt(i); t'
bc_w3='scale=48000; 4*a(1)'
bc_w4='scale=48000; e(1/3)*l(7)+e(l(sqrt(2))/3)'
bc_w5='scale=29; t=0; for(i=1;i<=300;i++) for(j=1;j<=300;j++) t+=1/(i+j); t'

printf '%-4s %-40s %10s %10s %10s %9s %9s\n' id workload korund bc qalc "bc/k" "qalc/k"
row() { # id formula korund-ini bc-program qalc-expression qalc-precision
  local k b q
  k=$(run "$cli" --ini "$2" -e "$3")
  b=$(run bash -c "echo '$4' | BC_LINE_LENGTH=0 bc -l")
  if [ -n "$5" ]; then q=$(run qalc -t -s "precision $6" -s "angle deg" "$5"); else q="-"; fi
  ratio() { [ "$1" = "-" ] || [ "$k" = "-" ] && { echo "-"; return; }; echo "$1 / $k" | bc -l | awk '{printf "%.1fx", $1}'; }
  printf '%-4s %-40s %10s %10s %10s %9s %9s\n' "$1" "$3" "$k" "$b" "$q" "$(ratio "$b")" "$(ratio "$q")"
}
row W1 "$small" 'sum(1,1,1000000,1/i^2)' "$bc_w1" 'sum(1/x^2,1,1000000)' 29
row W2 "$small" 'sum(1,1,100000,sin(i)*ln(i)+sqrt(i))' "$bc_w2" 'sum(sin(x)*ln(x)+sqrt(x),1,100000)' 29
row W3 "$big" 'pi()' "$bc_w3" 'pi' 48000
row W4 "$big" 'exp(1/3)*ln(7)+sqrt(2)^(1/3)' "$bc_w4" 'exp(1/3)*ln(7)+sqrt(2)^(1/3)' 48000
row W5 "$small" 'sum(1,1,300,sum(2,1,300,1/(i+j)))' "$bc_w5" '' 29
echo "(seconds per whole process; '-' = failed or over ${limit}s; ratios above 1x mean Korund is faster)"
