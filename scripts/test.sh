#!/usr/bin/env bash
# Installs what is missing, builds everything with the tests and runs them all.
# Widget tests use Qt's offscreen platform; the end-to-end tests start their own X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
TESSARON_CONFIGURE="-DBUILD_TESTING=ON -DTESSARON_BENCH=ON -DTESSARON_WERROR=ON" bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)" "$@"
