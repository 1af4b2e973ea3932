#!/usr/bin/env bash
# A first start in an empty folder choosing Español: the dialog and then the main window
# come up (in Spanish: see the screenshots), and data.puz holds the Spanish code.
# Usage: first_run_spanish.sh path/to/tessaron
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

cd "$work"
start_game "$binary"
language=$(wait_new_window Tessaron)
keys_to "$language" Tab Down Return
dialog=$(wait_new_window Tessaron "$language")
# The choice is saved before the dialog opens.
[ "$(od -An -c data.puz | tr -s ' ')" = " 1 \r \n" ] || fail "data.puz does not hold Spanish"
shot dialog-spanish
keys_to "$dialog" Escape
main=$(wait_new_window Tessaron "$language
$dialog")
shot main-window-spanish
kill -0 $pid 2>/dev/null || fail "the game ended"
echo "ok: first run in Spanish; screenshots in $out"
