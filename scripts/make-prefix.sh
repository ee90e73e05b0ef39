#!/usr/bin/env bash
# Makes a Wine prefix once (wineboot --init, ~20 s) and reuses it afterwards.
# Usage: scripts/make-prefix.sh DIR
set -euo pipefail
dir=$(realpath -m "${1:?usage: make-prefix.sh DIR}")  # wine takes absolute prefixes only
# Wine's own fonts ("MS Sans Serif", Tahoma; Debian's fonts-wine) linked into the prefix's Fonts
# folder: Debian's 64-bit loader does not look for them in Wine's data folder, and the dialogs
# would be drawn in a wider font with their texts cut off.
link_fonts() {
  local f fonts=$dir/drive_c/windows/Fonts
  [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] || return 0
  for f in /usr/share/wine/fonts/*; do
    [ -e "$fonts/${f##*/}" ] || ln -s "$f" "$fonts/"
  done
}
if [ -f "$dir/system.reg" ] && [ -f "$dir/user.reg" ] && [ -f "$dir/.tsl-ready" ]; then
  link_fonts
  exit 0
fi
rm -rf "$dir"
mkdir -p "$(dirname "$dir")"
export WINEPREFIX=$dir WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Without a display wineboot still works; keep it from asking for Mono or Gecko.
wineboot --init >/dev/null 2>&1 || true
wineserver -w
[ -f "$dir/system.reg" ] || { echo "make-prefix: wineboot did not create $dir" >&2; exit 1; }
if [ "${TSL_WINE32:-1}" = 0 ]; then
  # Without a 32-bit loader wineboot cannot run its 32-bit half, which gives the 32-bit view
  # its program folders; they are written here as that half writes them.
  key='HKLM\Software\Microsoft\Windows\CurrentVersion'
  wine reg add "$key" /reg:32 /v CommonFilesDir /d 'C:\Program Files (x86)\Common Files' /f >/dev/null
  wine reg add "$key" /reg:32 /v ProgramFilesDir /d 'C:\Program Files (x86)' /f >/dev/null
  wineserver -w
fi
link_fonts
touch "$dir/.tsl-ready"
