#!/usr/bin/env bash
# Under a window manager, which frames the windows: a tall picture laid out at start-up
# and again from File > Open gets the same window, and its frame stays on the screen.
# Usage: framed.sh path/to/tessaron
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

openbox >"$work/wm.log" 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true; finish' EXIT
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
cp "$binary" ./tessaron
echo 0 >data.puz
convert -size 500x900 gradient:orange-navy pic.bmp
start_game ./tessaron
dialog=$(wait_new_window Tessaron)
click_in "$dialog" 60 280
keys_to "$dialog" Return
main=$(wait_new_window "Tessaron  -  pic.bmp" "")

# The client's size and the frame's bottom edge, in screen pixels.
layout() {
    local y width height extents
    read -r y width height < <(xwininfo -id "$main" | awk '/Absolute upper-left Y/ {y = $4} /Width:/ {w = $2}
        /Height:/ {h = $2} END {print y, w, h}')
    extents=$(xprop -id "$main" _NET_FRAME_EXTENTS | tr -dc '0-9,' | cut -d, -f4)
    echo "${width}x${height} bottom $((y + height + ${extents:-0}))"
}
at_start=$(layout)
shot framed-start

# File > Open. A click can land before the menu has opened under a busy window manager:
# the menu is tried again until the dialog is up.
for _ in 1 2 3; do
    click_in "$main" 15 8      # File
    sleep 0.3
    click_in "$main" 30 30     # Open
    dialog=$(new_window Tessaron "$main" 30) && break
    xdotool key Escape
done
[ -n "$dialog" ] || fail "File > Open showed no dialog"
sleep 0.3
keys_to "$dialog" Return   # the same picture, still chosen
sleep 1
from_menu=$(layout)
shot framed-open
[ "${at_start%% *}" = "${from_menu%% *}" ] || fail "start-up laid out $at_start, File > Open $from_menu"
for l in "$at_start" "$from_menu"; do [ "${l##* }" -le 1024 ] || fail "the window reaches below the screen: $l"; done
echo "ok: start-up $at_start, File > Open $from_menu; screenshots in $out"
