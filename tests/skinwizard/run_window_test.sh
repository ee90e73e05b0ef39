#!/usr/bin/env bash
# Runs a Windows test program of the skin wizard's windows under wine, on an Xvfb display of
# its own and in a copy of the build's Wine prefix whose registry holds a registered owner and
# organisation and a common files folder, as `wine reg add` writes them.
# Usage: run_window_test.sh BASE_PREFIX PROGRAM.exe [ARGS...]
set -u
base=${1:?usage: run_window_test.sh BASE_PREFIX PROGRAM.exe [ARGS...]}
shift
source "$(dirname "$0")/../lib.sh"
scratch window
prefix=$(clone "$base" prefix) || exit 1
start_xvfb || exit 1
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=C.UTF-8

add() {
  wine reg add "$1" /v "$2" /d "$3" /f /reg:32 >/dev/null 2>&1 ||
    { echo "run_window_test: wine reg add $1 $2 failed" >&2; exit 1; }
}
add 'HKLM\Software\Microsoft\Windows\CurrentVersion' CommonFilesDir 'D:\Shared Files'
add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' RegisteredOwner 'Ann Lee'
add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' RegisteredOrganization 'Société Ltd'

# Wine's helper processes outlive the program and would hold a pipe open: output goes to a
# file that is passed on once the program ends.
wine "$@" </dev/null >"$work/out" 2>&1
status=$?
cat "$work/out"
exit $status
