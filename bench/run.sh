#!/bin/bash
# make bench: runs every benchmark of an existing build, in order, against a
# synthetic library of 6022 entries, then prints one table of the figures. Each
# benchmark serves the published store itself on a free loopback port. Builds
# nothing.
# Usage: bench/run.sh [BUILD]
set -u
build=${1:-build}
bin=$build/bin
benches=$build/bench
for tool in "$bin/qinglan-synth-library" "$bin/qinglan-cloud"; do
  if [ ! -x "$tool" ]; then
    echo "run.sh: $tool is missing; build first (make build)" >&2
    exit 2
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/qinglan-bench.XXXXXX")
cleanup() {
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "Writing and publishing the synthetic library..."
"$bin/qinglan-synth-library" "$work/source" 6022 >/dev/null &&
  "$bin/qinglan-cloud" publish "$work/source" "$work/store" >/dev/null || {
  echo "run.sh: cannot write or publish the synthetic library" >&2
  exit 1
}


export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking"
export QT_LOGGING_RULES="qt.webenginecontext.info=false;qt.webenginecontext.debug=false"
export TEMP="$work/temp"
export BENCH_ROWS="$work/rows"
mkdir -p "$TEMP"
: >"$BENCH_ROWS"

status=0
run() {
  local name=$1
  shift
  echo
  echo "== $name"
  mkdir -p "$work/$name"
  if [ ! -x "$benches/$name" ]; then
    echo "run.sh: $benches/$name is missing" >&2
    echo "$name|missing|-|-|-" >>"$BENCH_ROWS"
    status=1
  elif ! "$benches/$name" "$@" 2>"$work/$name.err"; then
    tail -n 20 "$work/$name.err" >&2
    echo "$name|failed|-|-|-" >>"$BENCH_ROWS"
    status=1
  fi
}
run bench_download "$work/bench_download"
run bench_query "$work/store" "$work/bench_query"
run bench_startup "$work/store" "$work/bench_startup"
run bench_bulk "$work/store" "$work/bench_bulk"
run bench_soak "$work/store" "$work/bench_soak"
run bench_suggest "$work/source"
run bench_content "$work/source" "$work/bench_content"
run bench_latency "$work/store" "$work/bench_latency"
run bench_stall "$work/store" "$work/bench_stall"

echo
awk -F'|' '
  { for (i = 1; i <= NF; ++i) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } }
  END {
    split("figure|ours|reference|ratio|goal", head, "|")
    for (i = 1; i <= 5; ++i) if (length(head[i]) > width[i]) width[i] = length(head[i])
    line = ""
    for (i = 1; i <= 5; ++i) line = line (i < 5 ? sprintf("%-*s | ", width[i], head[i]) : head[i])
    print line
    rule = ""
    for (i = 1; i <= 5; ++i) { s = sprintf("%*s", width[i], ""); gsub(/ /, "-", s); rule = rule s (i < 5 ? "-|-" : "") }
    print rule
    for (r = 1; r <= NR; ++r) {
      line = ""
      for (i = 1; i <= 5; ++i) line = line (i < 5 ? sprintf("%-*s | ", width[i], cell[r, i]) : cell[r, i])
      print line
    }
  }' "$BENCH_ROWS"
exit $status
