#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the layout a desktop needs, then
# starts the installed game from an empty folder as a new player would: the language
# question, English, the dialog opening among the sample pictures, and the first sample
# chosen and cut into a puzzle. Usage: install_test.sh BUILD_DIR SOURCE_DIR
build=$(realpath "$1")
source_dir=$(realpath "$2")
source "$(dirname "$0")/../e2e/lib.sh"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }

program="$prefix/lib/tessaron"
[ -x "$program/tessaron" ] || fail "no program in lib/tessaron"
[ "$(readlink "$prefix/bin/tessaron")" = ../lib/tessaron/tessaron ] || fail "bin/tessaron is not the relative link"
[ -x "$prefix/bin/tessaron" ] || fail "bin/tessaron does not reach the program"
samples=()
for sample in "$source_dir"/samples/*; do
    name=$(basename "$sample")
    cmp -s "$sample" "$program/$name" || fail "sample $name not installed beside the program"
    samples+=("$name")
done
[ ${#samples[@]} -ge 4 ] || fail "only ${#samples[@]} samples"

desktop="$prefix/share/applications/tessaron.desktop"
desktop-file-validate "$desktop" || fail "desktop entry rejected"
grep -q '^Name\[es\]=' "$desktop" && grep -q '^Comment\[es\]=' "$desktop" || fail "no Spanish name or comment"
grep -qx 'Exec=tessaron' "$desktop" && grep -qx 'Icon=tessaron' "$desktop" || fail "desktop entry Exec/Icon"
metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" || { cat "$work/appstream.log"; fail "metainfo rejected"; }
for size in 32 48 64 128; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tessaron.png"
    [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x${size}" ] || fail "icon $icon"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/tessaron.svg" || fail "no scalable icon"

# The player's side: an empty folder, nothing but the installed game.
mkdir "$work/home"
cd "$work/home"
start_game "$prefix/bin/tessaron"
language=$(wait_new_window Tessaron)
shot install-first-run
keys_to "$language" Return                  # English is the choice already made
dialog=$(wait_new_window Tessaron "$language")
shot install-dialog
[ -f data.puz ] || fail "the language was not saved in the current folder"
# The dialog opens on the program's own folder, so the file list holds the samples,
# sorted: the first one in the list (3840 twips down its frame) is the first by name.
first=$(printf '%s\n' "${samples[@]}" | LC_ALL=C sort | head -n 1)
click_in "$dialog" 60 280
keys_to "$dialog" Return
wait_new_window "Tessaron  -  $first" "" >/dev/null
shot install-playing
kill -0 $pid 2>/dev/null || fail "the game ended"
[ -z "$(ls -A "$program" | grep -vx -e tessaron "${samples[@]/#/-e}")" ] || fail "the program folder gained files"
echo "ok: installed layout, first run, $first listed and played; screenshots in $out"
