#!/usr/bin/env bash
# The real game under a real X server: the main window opens with its notice, the exit
# question answers No on Enter, and Yes ends the program.
# Usage: main_window.sh path/to/tessaron   (screenshots go to $E2E_OUT, default a temp dir)
set -euo pipefail
binary=$(realpath "$1")
out=${E2E_OUT:-$(mktemp -d)}
mkdir -p "$out"

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    export E2E_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
cd "$work"
unset QT_QPA_PLATFORM
"$binary" &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -rf "$work"' EXIT

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tessaron$' | head -n 1) \
    || fail "no window titled Tessaron"
sleep 1
import -window root "$out/main-window.png"
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "main window at ${X},${Y} size ${WIDTH}x${HEIGHT}"

questions() { xdotool search --onlyvisible --name '^Tessaron$' 2>/dev/null | grep -vx "$window" || true; }

ask_exit() {
    # Archivo > Salir with the mouse on the menu bar and the keyboard in the menu.
    xdotool mousemove $((X + 25)) $((Y + 10)) click 1
    sleep 0.5
    xdotool key Down Down Return
    for _ in $(seq 50); do [ -n "$(questions)" ] && return 0; sleep 0.1; done
    fail "the exit question did not appear"
}

ask_exit
import -window root "$out/exit-question.png"
question=$(questions | head -n 1)
xdotool mousemove --window "$question" 10 10
xdotool key Return
sleep 0.5
kill -0 $pid 2>/dev/null || fail "Enter ended the program: it must answer No"
[ -z "$(questions)" ] || fail "the question is still open after Enter"

ask_exit
question=$(questions | head -n 1)
xdotool mousemove --window "$question" 10 10
xdotool key y
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "Yes did not end the program"
wait $pid || fail "the program ended with status $?"
echo "ok: window, exit question (Enter = No, Yes ends); screenshots in $out"
