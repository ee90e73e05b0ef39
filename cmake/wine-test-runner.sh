#!/bin/sh
# Runs a Windows test program under wine for CTest, in a throw-away copy of the build's prefix
# (TSL_TEST_PREFIX, else WINEPREFIX). The shared prefix is only ever read: wine saves a
# prefix's registry through temporary files beside the hives while it runs, and the test
# scripts copy the shared prefix at any moment, so a copy taken during a save would fail on a
# vanished file.
# Wine's helper processes (wineserver, services.exe, ...) outlive the program and would keep
# CTest's output pipe open, so CTest would wait for them: the program writes to a file that is
# passed on once it ends.
base=${TSL_TEST_PREFIX:-${WINEPREFIX:-}}
work=$(mktemp -d "${TMPDIR:-/tmp}/tsl-wine-test.XXXXXX") || exit 1
if [ -n "$base" ]; then
  "$(dirname "$0")/../scripts/copy-prefix.sh" "$base" "$work/prefix" ||
    { echo "wine-test-runner: cannot copy $base" >&2; rm -rf "$work"; exit 1; }
  WINEPREFIX=$work/prefix
  export WINEPREFIX
fi
wine "$@" </dev/null >"$work/out" 2>&1
rc=$?
cat "$work/out"
[ -n "$base" ] && wineserver -k 2>/dev/null
rm -rf "$work"
exit $rc
