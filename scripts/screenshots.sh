#!/usr/bin/env bash
# Screenshots of every window in both languages, for comparing a change of the code's
# shape pixel for pixel: the first-run window, the empty main window, the new-puzzle
# dialog, a 2 x 1 puzzle (whose shuffle always leaves its two pieces exchanged), the
# victory, the About box and the exit question, in English, then again in Spanish. The
# game runs from a fixed folder, so the dialog's folder list is the same on every run.
# Usage: scripts/screenshots.sh OUTDIR [path/to/tessaron]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export E2E_OUT=$(realpath -m "$1")
binary=$(realpath "${2:-$top/build/bin/tessaron}")
source "$top/tests/e2e/lib.sh"

game=/tmp/tessaron-screenshots
rm -rf "$game"
mkdir -p "$game"
cd "$game"
cp "$binary" ./tessaron
convert -size 300x200 gradient:orange-navy -fill white -draw "circle 80,100 80,40" pic.bmp
start_game ./tessaron

box() { new_window Tessaron "$main" 50 || fail "no window after $1"; }
place() {  # the centre of place $1 of the 2 x 1 board, in the main window
    eval "$(xdotool getwindowgeometry --shell "$main")"
    echo "$(( $1 == 1 ? 105 : 255 )) $((HEIGHT - 250 + 25 + 100))"
}

round() {  # $1: en or es; $2: where About lies on the menu bar
    local suffix=$1 about=$2 w
    menu_item "$main" 0 1  # File > Open
    dialog=$(box open)
    shot "dialog-$suffix"
    keys_to "$dialog" Tab Tab Home Down Tab Home
    click_in "$dialog" 60 280
    shot "dialog-chosen-$suffix"
    keys_to "$dialog" Return
    sleep 1
    shot "shuffled-$suffix"
    # About, the last item of the menu bar, where each language puts it.
    xdotool mousemove --window "$main" "$about" 10 click 1
    sleep 0.5
    w=$(box about)
    shot "about-$suffix"
    keys_to "$w" Return
    read -r x y < <(place 1)
    read -r x2 _ < <(place 2)
    xdotool mousemove --window "$main" "$x" "$y" mousedown 1
    xdotool mousemove --window "$main" "$x2" "$y" mouseup 1
    w=$(box victory)
    shot "victory-$suffix"
    keys_to "$w" Return
    sleep 0.5
    shot "solved-$suffix"
    menu_item "$main" 0 2  # File > Exit
    w=$(box exit)
    shot "exit-$suffix"
    keys_to "$w" Return
    sleep 0.5
}

language=$(wait_new_window Tessaron)
shot first-run
keys_to "$language" Return
dialog=$(wait_new_window Tessaron "$language")
keys_to "$dialog" Escape
main=$(wait_new_window Tessaron "$language
$dialog")
sleep 0.5
shot empty-en
round en 265
menu_item "$main" 1 2  # Language > Español
[ "$(od -An -c data.puz | tr -s ' ')" = " 1 \r \n" ] || fail "Español was not chosen"
shot solved-switched-es
round es 300
echo "screenshots in $E2E_OUT"
