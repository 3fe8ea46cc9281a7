#!/bin/sh
# Checks that every project include names its folder and that no folder includes
# from a layer above its own. The layers, from the bottom up:
#   config resources | cloud | shell | entries | browser | search | check | info | mirror | app
# Usage: tools/check-layers.sh [SOURCE_DIR]; prints each offending include and
# exits 1 when there is one.
set -eu
cd "${1:-$(dirname "$0")/..}"
rank() {
    case $1 in
    config | resources) echo 0 ;;
    cloud) echo 1 ;;
    shell) echo 2 ;;
    entries) echo 3 ;;
    browser) echo 4 ;;
    search) echo 5 ;;
    check) echo 6 ;;
    info) echo 7 ;;
    mirror) echo 8 ;;
    app) echo 9 ;;
    *) echo -1 ;;
    esac
}
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
for folder in config resources cloud shell entries browser search check info mirror app; do
    own=$(rank "$folder")
    for file in "$folder"/*.cpp "$folder"/*.h; do
        [ -f "$file" ] || continue
        grep -n '^#include "' "$file" | while IFS= read -r line; do
            target=$(printf '%s\n' "$line" | sed 's/^[0-9]*:#include "\([^"]*\)".*/\1/')
            case $target in
            */*) ;;
            *)
                echo "$file: $target is included without its folder"
                echo fail >>"$tmp"
                continue
                ;;
            esac
            layer=$(rank "${target%%/*}")
            if [ "$layer" -lt 0 ] || [ "$layer" -gt "$own" ]; then
                echo "$file: includes $target from a layer above $folder"
                echo fail >>"$tmp"
            fi
        done
    done
done
if [ -s "$tmp" ]; then
    exit 1
fi
echo "check-layers: every include names its folder and looks down only"
