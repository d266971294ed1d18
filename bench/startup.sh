#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time: korund-cli -e 1 against a minimal program that loads the
# same outside libraries as korund-cli (Arb, FLINT, MPFR, GMP, libedit, the
# C++ runtime) and prints one Arb number, and the desktop program from start
# to its main window shown.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-50}
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/one.cpp" <<'CPP'
#include <arb.h>
#include <cstdio>
int main() {
    arb_t x;
    arb_init(x);
    arb_set_ui(x, 1);
    char* s = arb_get_str(x, 19, ARB_STR_NO_RADIUS);
    std::puts(s);
    flint_free(s);
    arb_clear(x);
    return 0;
}
CPP
c++ -O2 -o "$work/one" "$work/one.cpp" -Wl,--no-as-needed -lflint-arb -lflint -lmpfr -lgmp -ledit

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
printf '%-34s %10s ms\n' "minimal program, same libraries" "$base"
printf '%-34s %10s ms  (%s x, target 3x)\n' "korund-cli -e 1" "$cli" \
  "$(awk -v a="$cli" -v b="$base" 'BEGIN{printf "%.2f", a/b}')"
if [ -x "$bin/Korund" ]; then
  gui=$(KORUND_EXIT_WHEN_SHOWN=1 QT_QPA_PLATFORM=offscreen mean_ms "$bin/Korund")
  printf '%-34s %10s ms  (offscreen)\n' "Korund to main window shown" "$gui"
fi
