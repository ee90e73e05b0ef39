#!/usr/bin/env bash
# Makes a Wine prefix once (wineboot --init, ~20 s) and reuses it afterwards.
# Usage: scripts/make-prefix.sh DIR
set -euo pipefail
dir=${1:?usage: make-prefix.sh DIR}
if [ -f "$dir/system.reg" ] && [ -f "$dir/user.reg" ] && [ -f "$dir/.tsl-ready" ]; then
  exit 0
fi
rm -rf "$dir"
mkdir -p "$(dirname "$dir")"
export WINEPREFIX=$dir WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Without a display wineboot still works; keep it from asking for Mono or Gecko.
wineboot --init >/dev/null 2>&1 || true
wineserver -w
[ -f "$dir/system.reg" ] || { echo "make-prefix: wineboot did not create $dir" >&2; exit 1; }
touch "$dir/.tsl-ready"
