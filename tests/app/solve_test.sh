#!/usr/bin/env bash
# tessaron-solve on boards written by hand: the fewest slides and the pieces slid, in
# order, for each board (one searched for, one that slides cannot solve, a line); a text
# that is no board is named and ends the run with status 2. Usage: solve_test.sh BINARY
set -u
solve=$1
XDG_CACHE_HOME=$(mktemp -d)
export XDG_CACHE_HOME
trap 'rm -rf "$XDG_CACHE_HOME"' EXIT
got=$("$solve" "3x3:1 2 3 4 5 6 0 7 8" "3x4:1 2 3 4 5 6 7 0 9 10 8 11" "2x2:2 1 3 0" "1x3:0 1 2")
expected=$'fewest 2\nsolution 2: 7 8\nfewest 2\nsolution 2: 8 11\nfewest none\nsolution none\nfewest 2\nsolution 2: 1 2'
[ "$got" = "$expected" ] || { printf 'FAIL: got\n%s\n' "$got"; exit 1; }
err=$("$solve" "3x3:1 2" 2>&1 >/dev/null)
status=$?
[ "$status" -eq 2 ] && [ "$err" = "tessaron-solve: not a board: 3x3:1 2" ] || { echo "FAIL: status $status, said: $err"; exit 1; }
echo "ok: tessaron-solve"
