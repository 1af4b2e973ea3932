#!/usr/bin/env bash
# A first start in an empty folder choosing Español: the dialog and then the main window
# come up (in Spanish: see the screenshots), and data.puz holds the Spanish code.
# Usage: first_run_spanish.sh path/to/tessaron
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

start_game "$binary"
choose_language 1 Tab Down Return
shot dialog-spanish
keys_to "$dialog" Escape
wait_new_window Tessaron "$language
$dialog" >/dev/null
shot main-window-spanish
kill -0 $pid 2>/dev/null || fail "the game ended"
echo "ok: first run in Spanish; screenshots in $out"
