#!/bin/sh
# make run: publishes the sample library, serves it on 127.0.0.1 as the local
# cloud, and opens the program; the server stops when the program ends.
set -eu
build=$1
port=$2
"$build/bin/qinglan-cloud" publish library "$build/store" >/dev/null
"$build/bin/qinglan-cloud" serve "$build/store" --port "$port" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT INT TERM
export QTWEBENGINE_DISABLE_SANDBOX=1
status=0
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: running on a virtual X display (xvfb-run)."
  xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/qinglan" || status=$?
else
  "$build/bin/qinglan" || status=$?
fi
exit $status
