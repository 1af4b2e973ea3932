#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks the layout it installs (cmake
# --install's too), what a desktop needs from it and what it depends on. Usage: deb_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1 \
    || { cat "$out/cpack.log"; fail "cpack"; }
deb=$(ls "$out"/*.deb)
dpkg-deb -x "$deb" "$out/root"
[ "$(ls "$out/root")" = usr ] || fail "files outside /usr: $(ls "$out/root")"
usr="$out/root/usr"
[ -x "$usr/lib/tessaron/tessaron" ] || fail "no program in lib/tessaron"
# Relative, so that the same tree works under any prefix.
[ "$(readlink "$usr/bin/tessaron")" = ../lib/tessaron/tessaron ] || fail "bin/tessaron is not the relative link"
for sample in "$(dirname "$0")"/../../samples/*; do
    cmp -s "$sample" "$usr/lib/tessaron/$(basename "$sample")" || fail "sample $(basename "$sample") not beside the program"
done
[ -s "$usr/share/doc/tessaron/CREDITS" ] || fail "no CREDITS"

desktop="$usr/share/applications/tessaron.desktop"
desktop-file-validate "$desktop" || fail "desktop entry rejected"
grep -qx 'Exec=tessaron %f' "$desktop" && grep -qx 'Icon=tessaron' "$desktop" || fail "desktop entry Exec/Icon"
# The system's trigger builds the MIME cache; a package that shipped one would clash.
[ ! -e "$usr/share/applications/mimeinfo.cache" ] || fail "the package ships a MIME cache"
appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml >"$out/appstream.log" \
    || { cat "$out/appstream.log"; fail "metainfo rejected"; }
icons=$(identify -format '%m %wx%h,' "$usr"/share/icons/hicolor/{32x32,48x48,64x64,128x128}/apps/tessaron.png)
[ "$icons" = "PNG 32x32,PNG 48x48,PNG 64x64,PNG 128x128," ] || fail "icons: $icons"
grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/tessaron.svg" || fail "no scalable icon"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo qt6-qpa-plugins qt6-translations-l10n; do
    grep -q "\b$needed\b" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
echo "ok: $(basename "$deb"): $depends"
