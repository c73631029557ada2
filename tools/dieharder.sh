#!/usr/bin/env bash
# Streams the die's raw draws into the whole dieharder battery (Debian's
# package of that name) and keeps its report. Run by hand; it takes a while.
#   tools/dieharder.sh [seed] [report-file]
set -euo pipefail
cd "$(dirname "$0")/.."
seed="${1:-1}"
report="${2:-dieharder-report.txt}"
command -v dieharder >/dev/null || { echo "needs dieharder: apt-get install dieharder" >&2; exit 1; }
cmake -S . -B build >/dev/null
cmake --build build -j2 --target raw_draws >/dev/null
start=$(date +%s)
# raw_draws ends by SIGPIPE once dieharder has read enough; that is no failure.
{ ./build/tools/raw_draws "$seed" || true; } | dieharder -g 200 -a | tee "$report"
echo "seconds: $(( $(date +%s) - start ))" | tee -a "$report"
echo "FAILED: $(grep -c FAILED "$report" || true)  WEAK: $(grep -c WEAK "$report" || true)  PASSED: $(grep -c PASSED "$report" || true)"
