#!/bin/sh
# Replays the seed corpus of every fuzz target, and the earlier findings kept in
# tests/fuzz_regressions/<target>-*, through the target built with the usual
# compiler (build/fuzz/<target>, see fuzz/Replay.cmake). One ctest test; exits
# non-zero when a target is missing or an input breaks one.
# Usage: fuzz/replay.sh SOURCE_DIR BINARY_DIR
set -u
source=$1
binaries=$2
status=0
for code in "$source"/fuzz/fuzz_*.cpp; do
    target=$(basename "$code" .cpp)
    if [ ! -x "$binaries/$target" ]; then
        echo "$target: not built in $binaries" >&2
        status=1
        continue
    fi
    set -- "$source/fuzz/corpus/$target"
    for input in "$source"/tests/fuzz_regressions/"$target"-*; do
        [ -f "$input" ] && set -- "$@" "$input"
    done
    "$binaries/$target" "$@" || {
        echo "$target: an input broke it (exit $?)" >&2
        status=1
    }
done
exit $status
