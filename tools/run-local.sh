#!/bin/sh
# make run: publishes the sample library, serves it on 127.0.0.1 as the local
# cloud, and opens the program; the server stops when the program ends.
#
# Updates are signed: the first run makes a signing key in the build folder
# (update-signing.key, readable by its owner only), builds the program with its
# public key, and every run publishes the update folder with signatures.
set -eu
build=$1
port=$2
key="$build/update-signing.key"
if [ ! -f "$key" ]; then
  "$build/bin/qinglan-cloud" keygen "$key" >"$build/update-signing.pub"
fi
public=$(cat "$build/update-signing.pub")
configured=$(sed -n 's/^QINGLAN_UPDATE_PUBLIC_KEY:STRING=//p' "$build/CMakeCache.txt")
if [ "$configured" != "$public" ]; then
  echo "Building the program with the update key of $key"
  cmake -S . -B "$build" -DQINGLAN_UPDATE_PUBLIC_KEY="$public" >/dev/null
  cmake --build "$build" -j"$(nproc)" --target qinglan
fi
"$build/bin/qinglan-cloud" publish library "$build/store" --sign "$key" >/dev/null
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
