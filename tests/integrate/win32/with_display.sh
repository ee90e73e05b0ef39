#!/usr/bin/env bash
# Runs a command with an X display of its own, stopped (and only it) when the command ends.
# Usage: with_display.sh COMMAND [ARGS...]
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: with_display.sh COMMAND [ARGS...]" >&2; exit 2; }
source "$(dirname "$0")/../../lib.sh"
scratch display
start_xvfb || exit 1
"$@"
