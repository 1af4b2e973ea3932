#!/usr/bin/env bash
# "Open with" from the desktop: with the game's desktop entry in a private XDG data home
# and chosen there for JPEG pictures, `gio open PICTURE` starts the game on the picture.
# A first run: the language window (Enter: English), then the new-puzzle dialog with the
# picture chosen, its name written above its preview; Enter (OK) plays it.
# Usage: open_with.sh path/to/tessaron SOURCE_DIR
binary=$(realpath "$1")
source_dir=$(realpath "$2")
source "$(dirname "$0")/lib.sh"

# The desktop entry as installed, with the MIME cache the install refreshes, and its
# program found on the PATH.
mkdir -p "$work/bin" "$work/data/applications" "$work/home"
ln -s "$binary" "$work/bin/tessaron"
cp "$source_dir/data/tessaron.desktop" "$work/data/applications/"
update-desktop-database "$work/data/applications"
export PATH="$work/bin:$PATH" XDG_DATA_HOME="$work/data"
grep -qx $'\ttessaron.desktop' <<<"$(gio mime image/jpeg)" || fail "the desktop entry does not take JPEG pictures"
gio mime image/jpeg tessaron.desktop >/dev/null

# One colour, so that the preview can be told on the screen.
picture="$work/home/red sunset.jpg"
convert -size 200x120 xc:'#d02010' "$picture"
cd "$work/home"
gio open "$picture" || fail "gio open"
language=$(wait_new_window Tessaron)
pid=$(xdotool getwindowpid "$language")
keys_to "$language" Return
dialog=$(wait_new_window Tessaron "$language")
shot open-with-dialog
# LabArchivo (5160, 360 twips; 3255 x 255) holds dark text, and the middle of Image1
# (5160, 840; 3255 x 3255) is red; in pixels at 15 twips each.
eval "$(xdotool getwindowgeometry --shell "$dialog")"
seen=$(convert "$out/open-with-dialog.png" \( +clone -crop "217x17+$((X + 344))+$((Y + 24))" \
    -format '%[fx:minima.intensity < 0.3] ' -write info: +delete \) \
    -crop "1x1+$((X + 452))+$((Y + 164))" -format '%[fx:r > 0.7 && g < 0.3 && b < 0.3]' info:)
[ "$seen" = "1 1" ] || fail "the dialog shows no name (first) or no red preview (second): $seen"
keys_to "$dialog" Return
wait_new_window "Tessaron  -  red sunset.jpg" >/dev/null
shot open-with-playing
echo "ok: gio open started the game on the picture, chosen and previewed; screenshots in $out"
