#!/usr/bin/env bash
# Peak memory and journal size of a whole sample integration whose edited files are large: a
# 70 MB VCComponents.dat (Visual Studio .NET 2003) and a 200 MB MSDN collection file. The
# journal keeps each edited file's old bytes and only the size and hash of its new content, so
# it should grow by about the edited files' size; peak memory should stay within three times
# the largest edited file. Prints the figures and the command.
#
# Usage: bench/journal_memory.sh   (needs the default preset built; ~1 GB of disk in $TMPDIR)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/build/default/integrate/console/tslkt-integrate
base=$root/build/default/wineprefix
[ -x "$exe" ] || { echo "build the default preset first" >&2; exit 1; }
"$root/scripts/make-prefix.sh" "$base" || exit 1
export WINEDEBUG=-all
source "$root/scripts/wine-env.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/tsl-bench.XXXXXX")
trap 'WINEPREFIX=$work/sample wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
p=$work/sample
"$root/scripts/copy-prefix.sh" "$base" "$p"
"$root/scripts/sample-prefix.sh" "$p" >/dev/null || exit 1
WINEPREFIX=$p wineserver -w

col="$p/drive_c/Program Files (x86)/Microsoft Visual Studio/MSDN98/98VS/1033/MSDNVS98.COL"
vcc=$(find "$p/drive_c/users" -path '*7.1/VCComponents.dat' | head -n 1)
# Other platforms' sections until VCComponents.dat passes 70 MB; folders in the collection file
# until it passes 200 MB (CR LF, as the IDE and the help system write them).
awk 'BEGIN { v = sprintf("%0100d", 0)
  for (i = 0; i < 505000; i++) printf "[VC\\Pad%06d\\Directories]\r\nInclude Dirs=C:\\%s\r\n", i, v }' \
  >>"$vcc"
awk 'index($0, "</Folders>") == 1 && !done {
    for (i = 0; i < 2180000; i++)
      printf "\t\t<Folder>\r\n\t\t\t<TitleString value=\"=pad%07d\"/>\r\n\t\t\t<FolderOrder value=%d/>\r\n\t\t</Folder>\r\n", i, i + 3
    done = 1 }
  { print }' "$col" >"$col.pad" && mv "$col.pad" "$col"
mb() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1048576 }'; }
vcc_size=$(stat -c %s "$vcc") col_size=$(stat -c %s "$col")
/usr/bin/time -f '%M' -o "$work/peak" "$exe" --prefix "$p" --yes </dev/null >"$work/run.log" 2>&1 ||
  { echo "the run failed:"; tail -n 5 "$work/run.log"; }
jnl=$(find "$p/drive_c/users" -name 'integrate-*.jnl' | head -n 1)
peak_kb=$(cat "$work/peak")
largest=$(( vcc_size > col_size ? vcc_size : col_size ))
echo "tslkt-integrate --yes on the sample prefix with VCComponents.dat $(mb "$vcc_size") and" \
     "MSDNVS98.COL $(mb "$col_size"):"
echo "  peak memory $(mb $((peak_kb * 1024))) ($(awk -v a="$peak_kb" -v b="$largest" \
     'BEGIN { printf "%.2f", a * 1024 / b }') x the largest edited file)"
echo "  journal $(mb "$(stat -c %s "$jnl")"); the edited files together $(mb $((vcc_size + col_size)))"
