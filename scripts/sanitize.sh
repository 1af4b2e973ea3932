#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs them (not the end-to-end runs, which test the Release binary).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSARON_SANITIZE=ON -DTESSARON_WERROR=ON \
    -DTESSARON_BENCH=OFF >/dev/null
cmake --build build-sanitize
export QT_QPA_PLATFORM=offscreen
# Leaks inside the system's font and display libraries are not ours to fix.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" -LE e2e "$@"
