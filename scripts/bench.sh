#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its ratios to its bounds. Arguments go to
# every benchmark program (e.g. --benchmark_min_time=1).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
for bench in build/bin/tessaron_*bench; do
    echo "== ${bench##*/}"
    "$bench" "$@"
done
