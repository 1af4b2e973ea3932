#!/usr/bin/env bash
# Both styles played to the victory by clicks and keys alone, led by hints, as a player
# who asks for help would: a 3 x 2 Difficult puzzle slid piece by piece, with an undo and
# a redo on the way, then from File > Open a 3 x 3 Normal one, each piece marked and then
# exchanged with its place. The moves and time show in the menu bar's corner before and
# after each victory. Then the exit question in Spanish (Enter: No), an exit in English,
# and a second start in the same folder, whose dialog opens on the last choice accepted.
# Usage: clicks.sh path/to/tessaron
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

cp "$binary" ./tessaron
printf ' 0 \r\n' >data.puz       # English, no language window
# Wide enough for the menu bar to leave its corner room for the moves and time.
convert -size 800x300 gradient:orange-navy -fill white -draw "circle 200,150 200,60" pic.bmp
start_game ./tessaron
dialog=$(wait_new_window Tessaron)

# In the new-puzzle dialog: the style ($1: Normal or Difficult, whose options lie at 6067
# and 7747 twips across, 6367 down), then $2 columns and $3 rows, each list clicked to
# take the keys (ListX at 6307, ListY at 7507 across, both 5482 down); the keyboard then
# goes back to OK, where a dialog opened afresh has it. At 15 twips a pixel.
choose() {
    local -A option=([Normal]=404 [Difficult]=516)
    click_in "$dialog" "${option[$1]}" 424
    click_in "$dialog" 420 365
    keys_to "$dialog" Home $(printf 'Down %.0s' $(seq 2 "$2"))
    click_in "$dialog" 500 365
    keys_to "$dialog" Home $(printf 'Down %.0s' $(seq 2 "$3"))
    keys_to "$dialog" shift+Tab shift+Tab shift+Tab
}

# The menu bar's height in a screenshot of the main window: down to its bottom line, the
# first row whose right edge (two pixels: ImageMagick finds no box in one) is unlike the
# bar's own colour there.
bar_height() {
    local line
    line=$(convert "$1" -gravity NorthEast -crop 2x60+0+0 +repage \
        -fill black -opaque "$(convert "$1" -format '%[pixel:p{w-1,0}]' info:)" -format '%@' info:)
    echo $((${line##*+} + 1))
}

# The corner of the menu bar, its right third, kept as $1; it must show dark text.
corner() {
    local name=$1 width
    window_shot "$main" "$name"
    width=$(identify -format %w "$out/$name.png")
    convert "$out/$name.png" -crop "$((width / 3))x$(($(bar_height "$out/$name.png") - 1))+$((width * 2 / 3))+0" \
        +repage "$out/$name.png"
    [ "$(convert "$out/$name.png" -format '%[fx:minima.intensity < 0.5]' info:)" = 1 ] \
        || fail "the menu bar's corner shows no moves and time ($name)"
}

# The main window's client area, below the menu bar, whose corner counts the seconds.
client() {
    window_shot "$main" "$1"
    convert "$out/$1.png" -crop "+0+$(bar_height "$out/$1.png")" +repage "$out/$1.png"
}
differing() { compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 || true; }

# Undo takes the last move back and redo plays it again: the board as before the undo.
undo_redo() {
    client before-undo
    keys_to "$main" ctrl+z
    client undone
    keys_to "$main" ctrl+y
    client redone
    [ "$(differing before-undo undone)" != 0 ] || fail "Ctrl+Z did not take the move back"
    [ "$(differing before-undo redone)" = 0 ] || fail "Ctrl+Y did not bring the board back as it was"
}

# Hint after hint, each followed by clicks, until the victory message; $1 names the
# style. A slide is one click on the piece the hint frames (it is beside the empty place);
# an exchange is a click that marks the framed piece and one on its destination.
play_by_hints() {
    local style=$1 move from to box=
    corner "corner-$style-playing"
    for move in $(seq 30); do
        box=$(new_window Tessaron "$main" 5) && break
        keys_to "$main" h
        window_shot "$main" hint
        if ! from=$(centre_of "$out/hint.png" 'rgb(40,200,60)'); then
            # A victory message slow to come has the keyboard, and H went nowhere.
            box=$(new_window Tessaron "$main" 20) && break
            fail "neither a hint after H nor the victory message ($style, move $move)"
        fi
        to=$(centre_of "$out/hint.png" 'rgb(40,140,255)') || fail "H framed no destination ($style, move $move)"
        click_in "$main" $from
        if [ "$style" = normal ]; then
            window_shot "$main" marked
            centre_of "$out/marked.png" 'rgb(230,40,40)' >/dev/null || fail "a click did not mark the hint's piece"
            click_in "$main" $to
        fi
        # After the second slide, unless it solved the puzzle (a shuffle so close is rare).
        if [ "$move" = 2 ] && [ "$style" = difficult ] && ! new_window Tessaron "$main" 5 >/dev/null; then
            undo_redo
        fi
    done
    [ -n "$box" ] || fail "no victory after $move hinted moves ($style)"
    window_shot "$box" "victory-$style"
    keys_to "$box" Return
    sleep 0.5
    corner "corner-$style-solved"
    echo "$style: solved in $((move - 1)) hinted moves"
}

click_in "$dialog" 60 280        # the picture, the only file in the list
choose Difficult 3 2
window_shot "$dialog" dialog-difficult
keys_to "$dialog" Return
main=$(wait_new_window "Tessaron  -  pic.bmp" "")
play_by_hints difficult

menu_item "$main" 0 1            # File > Open
dialog=$(wait_new_window Tessaron "$main" 30)
choose Normal 3 3
window_shot "$dialog" dialog-normal
keys_to "$dialog" Return
sleep 1
play_by_hints normal

menu_item "$main" 1 2            # Language > Español
[ "$(od -An -c data.puz | tr -s ' ')" = " 1 \r \n" ] || fail "Español was not chosen"
menu_item "$main" 0 2            # Archivo > Salir
question=$(new_window Tessaron "$main" 50) || fail "the exit question did not appear"
window_shot "$question" exit-question-es
keys_to "$question" Return
sleep 0.5
kill -0 $pid 2>/dev/null || fail "Enter ended the program: it must answer No"

menu_item "$main" 1 1            # Idioma > English, then File > Exit, Yes
menu_item "$main" 0 2
question=$(new_window Tessaron "$main" 50) || fail "the exit question did not appear"
keys_to "$question" y
timeout 5 tail --pid="$pid" -s 0.1 -f /dev/null || fail "Yes did not end the program"
wait $pid || fail "the program ended with status $?"
pid=

# The second start opens the dialog on the choice accepted last. Only the style's
# explanation may differ: the Normal one, chosen by a click, has no closing full stop,
# while the one the dialog starts with has.
conf=$XDG_CONFIG_HOME/tessaron/tessaron.conf
for line in 'picture=.*pic\.bmp.*' 'columns=3' 'rows=3' 'difficult=false'; do
    grep -qx "$line" "$conf" || fail "the configuration file lacks $line"
done
start_game ./tessaron
dialog=$(wait_new_window Tessaron)
window_shot "$dialog" dialog-second-start
for name in dialog-normal dialog-second-start; do   # Label3 in Frame2: 240, 1800; 2895 x 615
    convert "$out/$name.png" -fill black -draw 'rectangle 360,440 553,481' "$work/$name.png"
done
[ "$(compare -metric AE "$work/dialog-normal.png" "$work/dialog-second-start.png" null: 2>&1)" = 0 ] \
    || fail "the dialog at the second start is not the one accepted last"
echo "ok: both styles solved by hinted clicks, undo and redo, the corner, the exit question in Spanish, the choice remembered; screenshots in $out"
