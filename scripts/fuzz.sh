#!/usr/bin/env bash
# Fuzzes the metafile player with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# for the given number of seconds (60 by default), seeded with the corpus metafiles.
# Usage: bash scripts/fuzz.sh [SECONDS]   Findings are written to build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

need=()
for package in clang libclang-rt-14-dev; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || need+=("$package")
done
if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Fuzzing needs: sudo apt-get install -y ${need[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSARON_FUZZ=ON -DBUILD_TESTING=OFF -DTESSARON_BENCH=OFF >/dev/null
cmake --build build-fuzz --target metafile_fuzz

# The seeds are copied so the fuzzer can add to its working corpus without touching them.
corpus=build-fuzz/corpus
mkdir -p "$corpus" build-fuzz/findings
testdata=../shared/testdata
if [ -d "$testdata" ]; then
    find "$testdata" -type f \( -name '*.wmf' -o -name '*.emf' \) -exec cp -n {} "$corpus/" \;
fi

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
build-fuzz/bin/metafile_fuzz "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
    -max_len=262144 -artifact_prefix=build-fuzz/findings/ -print_final_stats=1
