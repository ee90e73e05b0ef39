#!/usr/bin/env bash
# Runs a command with an X display of its own: starts Xvfb on a free display number, exports
# DISPLAY, runs the command and stops that Xvfb (and only it) afterwards.
# Usage: with_display.sh COMMAND [ARGS...]
set -uo pipefail
[ $# -ge 1 ] || { echo "usage: with_display.sh COMMAND [ARGS...]" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "with_display: Xvfb is not installed" >&2; exit 1; }

xvfb_pid=
stop() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null; }
trap stop EXIT

# A display number nobody holds; Xvfb itself refuses a taken one, so try the next then.
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    export DISPLAY=:$n
    break
  fi
  xvfb_pid=
done
[ -n "$xvfb_pid" ] || { echo "with_display: no free display for Xvfb" >&2; exit 1; }
"$@"
