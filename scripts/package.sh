#!/usr/bin/env bash
# Builds the Debian package of the game in build-package/ (or $BUILD_DIR) and prints its
# path. Install it with `sudo apt install ./tessaron_*.deb`, remove it with
# `sudo apt remove tessaron`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build-package}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DTESSARON_BENCH=OFF >/dev/null
cmake --build "$build" --target tessaron tessaron_icons
(cd "$build" && cpack -G DEB >/dev/null)
ls "$PWD/$build"/tessaron_*.deb
