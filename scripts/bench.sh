#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its ratio to its physical bound.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh --target tessaron_bench
build/bin/tessaron_bench "$@"
