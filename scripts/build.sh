#!/usr/bin/env bash
# Configures and builds into build/ (Release). Extra arguments go to the build, e.g. a
# target: scripts/build.sh --target tessaron
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build "$@"
