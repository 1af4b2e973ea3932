# Shared by the end-to-end runs: an X server, the game started in a folder of its own,
# and waiting for its windows. Source it after setting `binary`.
set -euo pipefail

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    export E2E_INSIDE_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

out=${E2E_OUT:-$(mktemp -d)}
mkdir -p "$out"
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
unset QT_QPA_PLATFORM

fail() {
    echo "FAIL: $*" >&2
    import -window root "$out/failure.png" 2>/dev/null || true
    exit 1
}

# Starts the game from the current folder.
start_game() {
    "$1" &
    pid=$!
}

# The visible windows titled exactly $1 (default: Tessaron), one id a line.
windows() { xdotool search --onlyvisible --name "^${1:-Tessaron}\$" 2>/dev/null || true; }

# Waits until a visible window with that title exists that is not in the list $2;
# prints its id.
wait_new_window() {
    local title=$1 known=${2:-}
    for _ in $(seq 100); do
        for w in $(windows "$title"); do
            if ! grep -qx "$w" <<<"$known"; then
                sleep 0.3
                echo "$w"
                return 0
            fi
        done
        sleep 0.1
    done
    fail "no new window titled '$title'"
}

wait_gone() {
    for _ in $(seq 100); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        [ -z "$(xdotool search --onlyvisible --name . 2>/dev/null | grep -x "$1")" ] && return 0
        sleep 0.1
    done
    fail "window $1 did not close"
}

# Clicks at (x, y) pixels inside a window's client area.
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.2; }

# Keys go to whatever window is under the pointer's focus; point at the window first.
keys_to() {
    local w=$1
    shift
    xdotool mousemove --window "$w" 5 5
    xdotool key "$@"
    sleep 0.3
}

shot() { import -window root "$out/$1.png"; }
