#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks what it holds and needs.
# Usage: deb_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1 \
    || { cat "$out/cpack.log"; fail "cpack"; }
deb=$(ls "$out"/*.deb)
contents=$(dpkg-deb --contents "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')

for path in ./usr/lib/tessaron/tessaron ./usr/share/applications/tessaron.desktop \
    ./usr/share/icons/hicolor/32x32/apps/tessaron.png ./usr/share/icons/hicolor/48x48/apps/tessaron.png \
    ./usr/share/icons/hicolor/64x64/apps/tessaron.png ./usr/share/icons/hicolor/128x128/apps/tessaron.png \
    ./usr/share/icons/hicolor/scalable/apps/tessaron.svg ./usr/share/doc/tessaron/CREDITS; do
    grep -qx "$path" <<<"$contents" || fail "missing $path"
done
grep -qx './usr/bin/tessaron -> ../lib/tessaron/tessaron' <<<"$contents" || fail "bin/tessaron link"
grep -qx './usr/share/metainfo/.*\.metainfo\.xml' <<<"$contents" || fail "no metainfo"
for sample in "$(dirname "$0")"/../../samples/*; do
    grep -qx "./usr/lib/tessaron/$(basename "$sample")" <<<"$contents" || fail "sample $(basename "$sample")"
done
outside=$(grep -v -e '^\./$' -e '^\./usr/' <<<"$contents" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo qt6-qpa-plugins; do
    grep -q "\b$needed\b" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = tessaron ] || fail "package name"
echo "ok: $(basename "$deb"): $depends"
