#!/usr/bin/env bash
# A whole game as a player plays it, from a first start in Spanish: the game and a picture
# in a folder of their own, Español in the language window (data.puz then holds its
# code), the new-puzzle dialog at start-up picks the picture at 2 x 1, and presses and
# releases on the board until the game says it is solved; the screenshots show each
# window in Spanish. Usage: play.sh path/to/tessaron
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

cp "$binary" ./tessaron
convert -size 300x200 gradient:orange-navy -fill white -draw "circle 80,100 80,40" pic.bmp
start_game ./tessaron
choose_language 1 Tab Down Return
# Keyboard order: OK, Cancel, columns, rows: 2 columns, 1 row. Then the picture, the
# first file in the file list (3840 twips down its frame).
keys_to "$dialog" Tab Tab Home Down Tab Home
click_in "$dialog" 60 280
shot dialog-choice
keys_to "$dialog" Return
main=$(wait_new_window "Tessaron  -  pic.bmp" "")
grep -q '^picture=.*pic\.bmp' "$XDG_CONFIG_HOME/tessaron/tessaron.conf" || fail "the choice was not kept in the configuration folder"
shot shuffled
eval "$(xdotool getwindowgeometry --shell "$main")"
# The client area is the menu, then the picture and its margins: 300 + 60 by 200 + 50.
left=(0 105 255)                 # the centres of the two places, in window coordinates
y=$((HEIGHT - 250 + 25 + 100))

# Pressing and releasing on one place runs the solved test; if the shuffle left the two
# pieces exchanged, moving one onto the other solves it.
click_in "$main" "${left[1]}" "$y"
if ! box=$(new_window Tessaron "$main" 20); then
    xdotool mousemove --window "$main" "${left[1]}" "$y" mousedown 1
    xdotool mousemove --window "$main" "${left[2]}" "$y" mouseup 1
    box=$(new_window Tessaron "$main" 20) || fail "the puzzle was not solved after the move"
fi
shot victory-message
keys_to "$box" Return
sleep 0.5
shot solved
kill -0 $pid 2>/dev/null || fail "the game ended"
echo "ok: started, shuffled, solved; screenshots in $out"
