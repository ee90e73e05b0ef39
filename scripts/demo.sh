#!/usr/bin/env bash
# The main job, shown end to end: sets up a sample developer machine in a Wine prefix (Visual
# C++ 6.0, its MSDN help collection, Visual Studio .NET 2003 and 2005, the Tessaline library),
# runs a real integration with tslkt-integrate, and shows what changed. The prefix stays in
# build/demo/prefix to look at.
# Usage: scripts/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export WINEDEBUG=-all
unset DISPLAY  # nothing here needs a window

scripts/install-deps.sh --demo
echo "== Building tslkt-integrate (native)"
mkdir -p build/logs
if ! { cmake --preset default && cmake --build --preset default --target tslkt-integrate \
         -j "$(nproc 2>/dev/null || echo 2)"; } >build/logs/demo-build.log 2>&1; then
  tail -n 30 build/logs/demo-build.log
  exit 1
fi
tool=$root/build/default/integrate/console/tslkt-integrate

echo "== Setting up the sample prefix"
demo=$root/build/demo
source scripts/wine-env.sh
scripts/make-prefix.sh "$demo/base"  # wineboot once, reused by later demos
prefix=$demo/prefix
if [ -f "$prefix/system.reg" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; fi
rm -rf "$prefix"
# A fresh copy each time.
scripts/copy-prefix.sh "$demo/base" "$prefix"
lib=$(scripts/sample-prefix.sh "$prefix")
export WINEPREFIX=$prefix

c=$prefix/drive_c
lib_unix="$c/Program Files (x86)/Quorvane/Tessaline"
template="$c/Program Files (x86)/Microsoft Visual Studio/Common/MSDev98/Template"
col="$c/Program Files (x86)/Microsoft Visual Studio/MSDN98/98VS/1033/MSDNVS98.COL"
colreg=$c/windows/Help/hhcolreg.dat
dirs_key='HKCU\Software\Microsoft\DevStudio\6.0\Build System\Components\Platforms\Win32 (x86)\Directories'
vcc=$(find "$c/users" -path '*/VisualStudio/7.1/VCComponents.dat' | head -n 1)

# One folder per line, the way the IDE's Directories page shows a list.
list() { wine reg query "$dirs_key" /v "$1" | tr -d '\r' | sed -n "s/^    $1    REG_SZ    //p" | tr ';' '\n'; }
# A list before and after, the new folders marked with "+".
compare_lists() {
  diff --unchanged-line-format='      %L' --new-line-format='    + %L' --old-line-format='    - %L' \
    "$1" "$2" || true
}
show_template() { (cd "$template" && ls -l --time-style=+ | sed 1d | awk '{print "    " $NF}'); }

list 'Include Dirs' >"$demo/include.before"
list 'Library Dirs' >"$demo/library.before"
tr -d '\r' <"$colreg" >"$demo/hhcolreg.before"
tr -d '\r' <"$col" >"$demo/col.before"
tr -d '\r' <"$vcc" >"$demo/vcc.before"
echo "Prefix:  $prefix"
echo "Library: $lib"
echo "Visual C++ 6.0 template folder before:"
show_template
# tslkt-integrate reads and writes the hive files itself: no wineserver may hold them.
wineserver -w

echo
echo "== tslkt-integrate --prefix build/demo/prefix --yes"
echo
"$tool" --prefix "$prefix" --yes && status=0 || status=$?
echo
echo "(exit status $status)"

echo
echo "== What changed"
echo "-- Include Dirs (wine reg query):"
compare_lists "$demo/include.before" <(list 'Include Dirs')
echo "-- Library Dirs (wine reg query):"
compare_lists "$demo/library.before" <(list 'Library Dirs')
echo "-- The old lists, kept in $lib\\directories.txt:"
tr -d '\r' <"$lib_unix/directories.txt" | sed 's/^/    /'
echo
echo "-- Visual C++ 6.0 template folder after (wizard files copied):"
show_template
echo "-- hhcolreg.dat (the library's help title registered):"
diff -u --label before --label after "$demo/hhcolreg.before" <(tr -d '\r' <"$colreg") | sed 1,2d || true
echo "-- MSDNVS98.COL (a folder for the title in the collection's contents):"
diff -u --label before --label after "$demo/col.before" <(tr -d '\r' <"$col") | sed 1,2d || true
echo "-- Backups of both files in the library's Help folder:"
(cd "$lib_unix/Help" && ls -1 | sed 's/^/    /')
echo "-- Visual Studio .NET 2003 and 2005: the wizard folders beside Common7\\IDE:"
(cd "$c/Program Files (x86)" && find "Microsoft Visual Studio .NET 2003/Vc7" \
   "Microsoft Visual Studio 8/Vc" -type f | sort | sed 's/^/    /')
echo "-- VCComponents.dat of .NET 2003 (the first Include Dirs and Library Dirs lines grow):"
diff -u --label before --label after "$demo/vcc.before" <(tr -d '\r' <"$vcc") | sed 1,2d || true
wineserver -k 2>/dev/null || true
echo
echo "Look around: WINEPREFIX=$prefix wine reg query '$dirs_key'"
exit "$status"
