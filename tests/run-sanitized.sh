#!/bin/sh
# Builds the given tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# their own build folder and runs them.
# Usage: run-sanitized.sh SOURCE_DIR BUILD_DIR TEST...
set -eu
source=$1
build=$2
shift 2
cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQINGLAN_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target "$@" qinglan-cloud >/dev/null
regex=$(printf '%s|' "$@")
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -R "^(${regex%|})\$"
