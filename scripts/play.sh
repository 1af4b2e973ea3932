#!/usr/bin/env bash
# Installs what building and playing need, builds the game alone and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh play
TESSARON_CONFIGURE="-DBUILD_TESTING=OFF -DTESSARON_BENCH=OFF" bash scripts/build.sh --target tessaron tessaron_samples
exec build/bin/tessaron
