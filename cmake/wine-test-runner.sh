#!/bin/sh
# Runs a Windows test program under wine for CTest. Wine's helper processes (wineserver,
# services.exe, ...) outlive the program and would keep CTest's output pipe open, so CTest
# would wait for them: the program writes to a file that is passed on once it ends.
out=$(mktemp) || exit 1
wine "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
