#!/usr/bin/env bash
# A move the player makes while File > Open builds a puzzle waits for the shuffled board:
# the one paint before the shuffle must not play it on the board still in order, where
# the shuffle would swallow it. A 2 x 1 puzzle always ends its shuffle with its two pieces
# exchanged, so the move from the first place to the second, played afterwards, solves it.
# Usage: queued_input.sh path/to/tessaron
binary=$(realpath "$1")
source "$(dirname "$0")/lib.sh"

# The window thread's opening of pic.bmp takes 1.5 s and says when it starts, so the move
# reaches the X server after OK has been handled and before the board is shown.
cat >slow_open.c <<'EOF'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <string.h>
#include <unistd.h>
static void slow(const char* path) {
    const char* base = strrchr(path, '/');
    if (strcmp(base ? base + 1 : path, "pic.bmp") != 0 || gettid() != getpid())
        return;
    close(creat("opening", 0644));
    usleep(1500000);
}
#define SLOW(name) int name(const char* path, int flags, ...) {                   \
    va_list more;                                                                    \
    va_start(more, flags);                                                           \
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(more, mode_t) : 0;       \
    va_end(more);                                                                    \
    slow(path);                                                                      \
    return ((int (*)(const char*, int, ...))dlsym(RTLD_NEXT, #name))(path, flags, mode); }
SLOW(open)
SLOW(open64)
EOF
cc -shared -fPIC -o slow_open.so slow_open.c -ldl || fail "the shim did not compile"

cp "$binary" ./tessaron
printf ' 0 \r\n' >data.puz       # English, no language window
convert -size 300x200 gradient:orange-navy -fill white -draw "circle 80,100 80,40" pic.bmp
LD_PRELOAD=$work/slow_open.so start_game ./tessaron
dialog=$(wait_new_window Tessaron)
# 2 columns, 1 row (see play.sh), then the picture.
keys_to "$dialog" Tab Tab Home Down Tab Home
click_in "$dialog" 60 280
keys_to "$dialog" Return
main=$(wait_new_window "Tessaron  -  pic.bmp" "")
eval "$(xdotool getwindowgeometry --shell "$main")"
left=(0 105 255)                 # the centres of the two places, as in play.sh
y=$((HEIGHT - 250 + 25 + 100))

# File > Open, the same choice again; the dialog is moved off the board first, since a
# window still mapped under the pointer would take the click.
rm -f opening
click_in "$main" 15 8
click_in "$main" 30 30
dialog=$(wait_new_window Tessaron "$main" 30)
xdotool windowmove "$dialog" 700 500
keys_to "$dialog" Return
for _ in $(seq 50); do [ -e opening ] && break; sleep 0.1; done
[ -e opening ] || fail "OK did not open the picture"
xdotool mousemove --window "$main" "${left[1]}" "$y" mousedown 1 \
    mousemove --window "$main" "${left[2]}" "$y" mouseup 1
box=$(new_window Tessaron "$main" 50) || fail "the move sent during the build was not played on the shuffled board"
shot victory-message
keys_to "$box" Return
kill -0 $pid 2>/dev/null || fail "the game ended"
echo "ok: the move waiting during the build solved the shuffled puzzle; screenshots in $out"
