#!/usr/bin/env bash
# Starts the game installed into a fresh prefix from an empty folder, as a new player
# would (the layout itself is checked on the package by deb_test.sh): the language
# question, English, and the first sample picture listed, chosen and cut into a puzzle.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
build=$(realpath "$1")
source_dir=$(realpath "$2")
source "$(dirname "$0")/../e2e/lib.sh"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
# A prefix of one's own has its applications' MIME cache refreshed, so "Open with" finds
# the game there for a JPEG.
grep -q '^image/jpeg=.*tessaron\.desktop' "$prefix/share/applications/mimeinfo.cache" \
    || fail "the installed MIME cache does not offer the game for JPEG pictures"
mapfile -t samples < <(LC_ALL=C ls "$source_dir/samples")

mkdir "$work/home"
cd "$work/home"
start_game "$prefix/bin/tessaron"
language=$(wait_new_window Tessaron)
keys_to "$language" Return                  # English is the choice already made
dialog=$(wait_new_window Tessaron "$language")
# The dialog opens on the program's own folder, so the file list holds the samples,
# sorted: the first one in the list (3840 twips down its frame) is the first by name.
first=${samples[0]}
click_in "$dialog" 60 280
keys_to "$dialog" Return
wait_new_window "Tessaron  -  $first" "" >/dev/null
shot install-playing
kill -0 $pid 2>/dev/null || fail "the game ended"
[ -z "$(ls -A "$prefix/lib/tessaron" | grep -vx -e tessaron "${samples[@]/#/-e}")" ] || fail "the program folder gained files"
echo "ok: installed game's first run, $first listed and played; screenshots in $out"
