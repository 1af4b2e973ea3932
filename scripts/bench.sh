#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its ratios to its bounds. Arguments go to
# every benchmark program (e.g. --benchmark_min_time=1). A benchmark that fails, such as
# one whose peer program is missing or broken, does not stop the others; they are named
# at the end and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
TESSARON_CONFIGURE="-DTESSARON_BENCH=ON" bash scripts/build.sh
failed=()
for bench in build/bin/tessaron_*bench; do
    echo "== ${bench##*/}"
    "$bench" "$@" || failed+=("${bench##*/}")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]} (the reasons are above, on standard error)" >&2
    exit 1
fi
