#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time: korund-cli -e 1 against a minimal C program that prints one
# MPFR number, and the desktop program from start to its main window shown.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-50}
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/one.c" <<'C'
#include <stdio.h>
#include <mpfr.h>
int main(void) {
    mpfr_t x;
    mpfr_init2(x, 96);
    mpfr_set_ui(x, 1, MPFR_RNDN);
    mpfr_printf("%.19Rg\n", x);
    mpfr_clear(x);
    return 0;
}
C
cc -O2 -o "$work/one" "$work/one.c" -lmpfr -lgmp

# Mean wall time of a command over $runs runs, in milliseconds.
mean_ms() {
  local start end
  start=$(date +%s%N)
  for _ in $(seq "$runs"); do "$@" > /dev/null 2>&1; done
  end=$(date +%s%N)
  echo $(( (end - start) / runs / 1000 ))e-3 | awk '{printf "%.2f", $1}'
}

base=$(mean_ms "$work/one")
cli=$(mean_ms "$bin/korund-cli" -e 1)
printf '%-34s %10s ms\n' "minimal MPFR program" "$base"
printf '%-34s %10s ms  (%s x, target 3x)\n' "korund-cli -e 1" "$cli" \
  "$(awk -v a="$cli" -v b="$base" 'BEGIN{printf "%.2f", a/b}')"
if [ -x "$bin/Korund" ]; then
  gui=$(KORUND_EXIT_WHEN_SHOWN=1 QT_QPA_PLATFORM=offscreen mean_ms "$bin/Korund")
  printf '%-34s %10s ms  (offscreen)\n' "Korund to main window shown" "$gui"
fi
