#!/bin/sh
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one for
# FUZZ_SECONDS seconds (60 by default) on a copy of its seed corpus. Inputs kept
# in tests/fuzz_regressions/<target>-* are replayed first. Prints the executions
# of every target and whether it crashed; exits non-zero when one did.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds="${FUZZ_SECONDS:-60}"
targets="fuzz_listing fuzz_index fuzz_version fuzz_roundtrip"

CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

failed=0
summary=""
for target in $targets; do
    artifacts="$build/artifacts/$target"
    log="$build/logs/$target.log"
    rm -rf "$artifacts"
    mkdir -p "$artifacts" "$build/logs"
    : >"$log"
    status="no crash"

    # Earlier findings first: each must now run through.
    for input in "$root"/tests/fuzz_regressions/"$target"-*; do
        [ -f "$input" ] || continue
        if ! "$build/$target" "$input" >>"$log" 2>&1; then
            status="crash (regression input $(basename "$input") still fails)"
        fi
    done

    corpus="$work/$target"
    cp -r "$root/fuzz/corpus/$target" "$corpus"
    dict=""
    [ -f "$root/fuzz/$target.dict" ] && dict="-dict=$root/fuzz/$target.dict"
    echo "== $target: fuzzing for ${seconds} s"
    rc=0
    # shellcheck disable=SC2086 # $dict is one option or nothing
    (cd "$work" && "$build/$target" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" $dict "$corpus") >>"$log" 2>&1 || rc=$?

    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    crashes=$(ls "$artifacts")
    if [ "$rc" -ne 0 ] || [ -n "$crashes" ]; then
        status="crash (exit $rc): $(echo $crashes) in $artifacts, log $log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*invariant broken|.*runtime error)' "$log" | head -n 5 || true
    fi
    case "$status" in no*) ;; *) failed=1 ;; esac
    line=$(printf '%-15s executions: %-10s %s' "$target" "${execs:-?}" "$status")
    echo "$line"
    summary="$summary$line
"
done

echo
echo "== fuzzing summary (${seconds} s per target)"
printf '%s' "$summary"
exit "$failed"
