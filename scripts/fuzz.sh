#!/usr/bin/env bash
# Fuzzes the metafile player, the GIF and BMP readers and the readers of the game's own
# files (the remembered choice, data.puz) with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, each for the given number of seconds (60 by default),
# seeded with the corpus pictures, and the metafile player also with seeds of its
# dearest records as large as the largest input.
# Usage: bash scripts/fuzz.sh [SECONDS] [MAX_LEN]   Findings are written to build-fuzz/findings/.
# MAX_LEN is the largest input in bytes: 256 KiB by default, which a minute's run can
# explore; a long run can afford a metafile's real sizes, e.g. 16777216 (16 MiB).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
max_len=${2:-262144}
# Given a larger cap, inputs may be that large from the start: libFuzzer otherwise grows
# its length limit from a few bytes, and would cut the large seeds short.
length_control=()
[ "$max_len" -le 262144 ] || length_control=(-len_control=0)

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
cmake --build build-fuzz --target metafile_fuzz gif_fuzz bmp_fuzz choice_fuzz metafile_seeds

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
testdata=../shared/testdata
mkdir -p build-fuzz/findings
# Each target for the given time, seeded with the corpus files it reads. The seeds are
# copied so the fuzzer can add to its working corpus without touching them.
for target in metafile:wmf:emf gif:gif:gif bmp:bmp:dib choice:conf:puz; do
    IFS=: read -r name first second <<<"$target"
    corpus=build-fuzz/corpus-$name
    mkdir -p "$corpus"
    if [ -d "$testdata" ]; then
        find "$testdata" -type f \( -name "*.$first" -o -name "*.$second" \) -exec cp -n {} "$corpus/" \;
    fi
    if [ "$name" = choice ]; then
        printf '[newPuzzle]\ncolumns=4\nfolder=@ByteArray(/a\\xe9\\x41b)\npicture="x, y"\npreview=true\n' >"$corpus/seed.conf"
        printf ' 1 \r\n' >"$corpus/seed.puz"
    fi
    if [ "$name" = metafile ]; then
        mkdir -p build-fuzz/seeds-metafile
        build-fuzz/bin/metafile_seeds build-fuzz/seeds-metafile "$max_len"
        seeds=build-fuzz/seeds-metafile
    else
        seeds=
    fi
    build-fuzz/bin/${name}_fuzz "$corpus" $seeds -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
        -max_len="$max_len" "${length_control[@]}" -artifact_prefix=build-fuzz/findings/$name- -print_final_stats=1
done
