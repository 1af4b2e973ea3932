#!/usr/bin/env bash
# The source tree's layers, checked from the includes: src/core and src/metafile never
# include Qt; includes point one way, app -> ui -> core and metafile -> core; and every
# quoted include names a file under src/ by its whole path, so none slips past by a
# relative one. Usage: layers.sh path/to/src
set -uo pipefail
src=$(realpath "$1")
cd "$src"
failed=0
complain() { echo "FAIL: $*" >&2; failed=1; }

# What each layer may include besides itself.
declare -A allowed=([core]="" [metafile]="core" [ui]="core metafile" [app]="ui core metafile")
for layer in core metafile ui app; do
    while IFS= read -r -d '' file; do
        while IFS= read -r line; do
            if [[ $line =~ ^#include\ *\<[Qq] && ( $layer == core || $layer == metafile ) ]]; then
                complain "$file includes Qt: $line"
            elif [[ $line =~ ^#include\ *\"([^\"]+)\" ]]; then
                included=${BASH_REMATCH[1]}
                target=${included%%/*}
                [ -f "$included" ] || complain "$file includes $included, which is no file under src/"
                if [ "$target" != "$layer" ] && [[ " ${allowed[$layer]} " != *" $target "* ]]; then
                    complain "$file ($layer) includes $included ($target)"
                fi
            fi
        done < <(grep -E '^#include' "$file")
    done < <(find "$layer" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done
[ -z "$(find . -mindepth 1 -maxdepth 1 -type d ! -name core ! -name metafile ! -name ui ! -name app)" ] \
    || complain "a folder of src/ that belongs to no layer: $(find . -mindepth 1 -maxdepth 1 -type d ! -name core ! -name metafile ! -name ui ! -name app)"
[ $failed -eq 0 ] && echo "ok: the layers of src/ include one way"
exit $failed
