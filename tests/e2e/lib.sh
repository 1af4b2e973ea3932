# Shared by the end-to-end runs: an X server, the game started in a folder of its own
# (the current one once this is sourced), and waiting for its windows. Source it after
# making the script's arguments absolute.
set -euo pipefail

out=${E2E_OUT:-$(mktemp -d)}
mkdir -p "$out"
work=$(mktemp -d)
cd "$work"
# The game keeps the new-puzzle dialog's last choice in the configuration folder: the
# run's own, never the player's, so no run sees what another left there. The window
# manager's log goes to a cache folder of the run's own too.
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
pid=
xserver=
finish() {
    [ -z "$pid" ] || kill $pid 2>/dev/null || true
    [ -z "$xserver" ] || { kill $xserver 2>/dev/null; wait $xserver 2>/dev/null; } || true
    rm -rf "$work"
}
trap finish EXIT
unset QT_QPA_PLATFORM XAUTHORITY

fail() {
    echo "FAIL: $*" >&2
    import -window root "$out/failure.png" 2>/dev/null || true
    exit 1
}

# A private X server. It chooses a free display itself (-displayfd) and names it once it
# accepts connections, so two runs side by side, or a display some other program left
# behind, can never share or lose a server, as guessing a number from lock files can.
# -noreset: a server resets when its last client leaves, and refuses connections while it
# does; the check below is such a client, and the game must not arrive during the reset.
start_x_server() {
    local display_file="$work/display" attempt
    for attempt in 1 2 3; do
        : >"$display_file"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" \
            >"$work/xvfb.log" 2>&1 &
        xserver=$!
        for _ in $(seq 100); do
            if grep -q '^[0-9]' "$display_file"; then
                export DISPLAY=":$(head -n 1 "$display_file" | tr -dc 0-9)"
                xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
            fi
            kill -0 $xserver 2>/dev/null || break
            sleep 0.1
        done
        { kill $xserver; wait $xserver; } 2>/dev/null || true
        xserver=
        echo "X server, attempt $attempt, did not start:" >&2
        cat "$work/xvfb.log" >&2
    done
    fail "no X server"
}
start_x_server

# Starts the game from the current folder.
start_game() { "$1" & pid=$!; }

# The visible windows titled exactly $1 (default: Tessaron), one id a line.
windows() { xdotool search --onlyvisible --name "^${1:-Tessaron}\$" 2>/dev/null || true; }

# Waits up to $3 tenths of a second (default 100) for a visible window titled $1 that is
# not in the list $2; prints its id, or returns 1 when none came.
new_window() {
    local title=$1 known=${2:-}
    for _ in $(seq "${3:-100}"); do
        for w in $(windows "$title"); do
            if ! grep -qx "$w" <<<"$known"; then
                sleep 0.3
                echo "$w"
                return 0
            fi
        done
        [ -z "$pid" ] || kill -0 $pid 2>/dev/null || fail "the game ended before a window titled '$title' appeared"
        sleep 0.1
    done
    return 1
}
wait_new_window() { new_window "$@" || fail "no new window titled '$1'"; }

# Answers the first start's language window with the keys given after $1, then waits
# for the new-puzzle dialog. The choice is saved, as language code $1, before the
# dialog opens. Sets `language` and `dialog`.
choose_language() {
    language=$(wait_new_window Tessaron)
    shot first-run
    keys_to "$language" "${@:2}"
    dialog=$(wait_new_window Tessaron "$language")
    [ "$(od -An -c data.puz | tr -s ' ')" = " $1 \r \n" ] || fail "data.puz does not hold language $1"
}

# Clicks at (x, y) pixels inside a window's client area.
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.2; }

# Keys go to the window that has the keyboard: point at it, give it the focus and wait
# until the server says it has it, so no key is typed into the window before it.
keys_to() {
    xdotool mousemove --window "$1" 5 5
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key "${@:2}"
    sleep 0.3
}

shot() { import -window root "$out/$1.png"; }
# A screenshot of window $1 alone, in its own coordinates, as $out/$2.png.
window_shot() { import -window "$1" "$out/$2.png"; }

# A menu of window $1 from the keyboard: File opened with the mouse, then Right to the
# menu $2 places from it and Down to its item $3 (1: the first), whatever the language.
menu_item() {
    xdotool mousemove --window "$1" 25 10 click 1
    sleep 0.4
    for _ in $(seq "$2"); do xdotool key Right; sleep 0.4; done
    # Right opens the next menu with its first item highlighted already.
    for _ in $(seq $(($3 - ($2 > 0)))); do xdotool key Down; sleep 0.1; done
    xdotool key Return
    sleep 0.5
}

# The centre of the pixels of colour $2 in picture $1, as "x y"; returns 1 when none has it.
centre_of() {
    local w h x y
    IFS='x+' read -r w h x y < <(convert "$1" -fill black +opaque "$2" -format '%@' info: 2>/dev/null)
    [ "$w" -gt 0 ] || return 1
    echo "$((x + w / 2)) $((y + h / 2))"
}
