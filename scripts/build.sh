#!/usr/bin/env bash
# Configures and builds into build/ (Release). Extra arguments go to the build, e.g. a
# target: scripts/build.sh --target tessaron. TESSARON_CONFIGURE adds options to the
# configuration, e.g. TESSARON_CONFIGURE="-DTESSARON_WERROR=ON".
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck disable=SC2086 # the options are separate words
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release ${TESSARON_CONFIGURE:-} >/dev/null
cmake --build build "$@"
