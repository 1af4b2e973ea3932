#!/usr/bin/env bash
# A first start in an empty folder: the language window (Enter: English), the new-puzzle
# dialog (Cancel), then the main window with its notice; the exit question answers No on
# Enter, and Yes ends the program. Usage: main_window.sh path/to/tessaron
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

start_game "$binary"
choose_language 0 Return   # English
shot new-puzzle-dialog
click_in "$dialog" 510 516  # Cancel: 7080, 7560 twips, 1215 x 375
main=$(wait_new_window Tessaron "$language
$dialog")
shot main-window

ask_exit() {
    menu_item "$main" 0 2   # File > Exit
    question=$(new_window Tessaron "$main" 50) || fail "the exit question did not appear"
}

ask_exit
shot exit-question
keys_to "$question" Return
sleep 0.5
kill -0 $pid 2>/dev/null || fail "Enter ended the program: it must answer No"
[ -z "$(windows | grep -vx -e "$main")" ] || fail "the question is still open after Enter"

ask_exit
keys_to "$question" y
timeout 5 tail --pid="$pid" -s 0.1 -f /dev/null || fail "Yes did not end the program"
wait $pid || fail "the program ended with status $?"
pid=
echo "ok: first run, dialog, main window, exit question (Enter = No, Yes ends); screenshots in $out"
