#!/bin/sh
# make package refuses a build without an update public key (such a program
# saves any update unverified) unless UNSIGNED=1 asks for one: it stops before
# configuring or building anything, and says how to go on.
# Usage: check-package-key.sh SOURCE_DIR
set -u
source=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/qinglan-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0

# A build folder whose cache carries no key, as a plain cmake build leaves it.
mkdir -p "$work/cached"
printf 'QINGLAN_UPDATE_PUBLIC_KEY:STRING=\n' >"$work/cached/CMakeCache.txt"

for build in "$work/fresh" "$work/cached"; do
  if env -u QINGLAN_UPDATE_PUBLIC_KEY -u UNSIGNED make -s -C "$source" package BUILD="$build" \
    >"$work/out" 2>&1; then
    echo "make package built a package without a key in $build" >&2
    status=1
  fi
  if ! grep -q 'QINGLAN_UPDATE_PUBLIC_KEY' "$work/out" || ! grep -q 'UNSIGNED=1' "$work/out"; then
    echo "make package did not say why it stopped:" >&2
    cat "$work/out" >&2
    status=1
  fi
  if [ -n "$(find "$build" -mindepth 1 ! -name CMakeCache.txt 2>/dev/null)" ]; then
    echo "make package configured or built in $build before refusing" >&2
    status=1
  fi
done
exit $status
