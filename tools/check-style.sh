#!/bin/sh
# Checks that every C++ file of the tree is formatted as .clang-format says.
# Usage: tools/check-style.sh [SOURCE_DIR]; lists the files clang-format would
# change and exits 1 when there is one.
set -eu
cd "${1:-$(dirname "$0")/..}"
if ! command -v clang-format >/dev/null; then
    echo "check-style: clang-format is not installed" >&2
    exit 1
fi
bad=0
for file in $(find config resources cloud shell entries browser search check info mirror app tests bench fuzz tools/cloud \
    -name '*.cpp' -o -name '*.h' | sort); do
    if ! clang-format --style=file --dry-run --Werror "$file" >/dev/null 2>&1; then
        echo "check-style: $file differs from .clang-format"
        bad=1
    fi
done
[ "$bad" -eq 0 ] && echo "check-style: every file follows .clang-format"
exit "$bad"
