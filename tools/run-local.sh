#!/bin/sh
# Opens the program. Uses the current display, or a virtual one when there is none.
set -eu
build=$1
export QTWEBENGINE_DISABLE_SANDBOX=1
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: running on a virtual X display (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/qinglan"
fi
exec "$build/bin/qinglan"
