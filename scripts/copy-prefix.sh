#!/usr/bin/env bash
# Makes a throw-away copy of a Wine prefix for one test or benchmark run.
# Usage: scripts/copy-prefix.sh SOURCE DEST [FILE-OR-FOLDER...]
# DEST may exist (empty) or not. Files are hard-linked, which keeps the copy cheap; the
# registry hives and every FILE given (relative to the prefix) are real copies, since Wine
# and the programs rewrite those and a rewrite in place would reach the source through its
# links. The server name file is left out, so the copy gets a wineserver of its own.
set -euo pipefail
src=${1:?usage: copy-prefix.sh SOURCE DEST [FILE...]}
dest=${2:?usage: copy-prefix.sh SOURCE DEST [FILE...]}
shift 2
mkdir -p "$dest"
cp -al "$src/." "$dest/"
rm -f "$dest/wineserver"
for f in "$src"/*.reg "$@"; do
  case $f in
    "$src"/*) rel=${f#"$src"/} ;;
    *) rel=$f ;;
  esac
  if [ -d "$src/$rel" ] && [ ! -L "$src/$rel" ]; then
    rm -rf "${dest:?}/$rel" && cp -a "$src/$rel" "$dest/$rel"  # a folder: a real copy of its tree
  elif [ -e "$src/$rel" ]; then
    cp -p --remove-destination "$src/$rel" "$dest/$rel"
  fi
done
