# What the test scripts share, sourced by each: the source tree, failures counted under the
# case's name, a scratch folder removed on exit, copies of a Wine prefix and an X display of
# the script's own.
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
failures=0
current=

# A failed check, named after the case it belongs to; the script goes on with the next one.
fail() { echo "FAIL${current:+ [$current]}: $*"; failures=$((failures + 1)); }
expect_eq() {  # what expected actual
  [ "$2" == "$3" ] || fail "$1"$'\n'"  expected: $2"$'\n'"  actual:   $3"
}
expect_grep() {  # what pattern file (fixed string)
  grep -qF -- "$2" "$3" || { fail "$1: no '$2' in"; sed 's/^/    /' "$3"; }
}

# $base: the test prefix of scripts/make-prefix.sh, made once and then only read (copies of it
# are written). Wine says nothing unless asked.
test_prefix() {
  base=${TSL_TEST_PREFIX:?TSL_TEST_PREFIX must name a prefix made by scripts/make-prefix.sh}
  export WINEDEBUG=-all
  "$root/scripts/make-prefix.sh" "$base" >/dev/null || exit 1
}

# $work: a scratch folder, removed when the script exits however it ends. The script's own
# `tidy`, when it defines one, runs first (processes it started, mounts, modes it took away);
# then the X server and the wineservers of the prefixes in the folder are stopped, since a
# server left running would keep writing into a folder being removed.
xvfb_pid=
scratch() {  # name
  work=$(mktemp -d "${TMPDIR:-/tmp}/tsl-$1.XXXXXX") || { echo "cannot make a scratch folder" >&2; exit 1; }
  trap cleanup EXIT
}
cleanup() {
  local p
  if declare -F tidy >/dev/null; then tidy; fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  for p in "$work"/*/; do [ -f "$p/system.reg" ] && WINEPREFIX=$p wineserver -k 2>/dev/null; done
  rm -rf "$work"
}

# A copy of a prefix at $work/NAME, made afresh; prints its path. scripts/copy-prefix.sh links
# the files nobody writes and copies for real the hives, each PATH given and each of the
# script's `edited` paths (relative to the prefix), so no run reaches into another's files.
# One that cannot be made fails with the reason: every check after it would run on nothing.
edited=()
clone() {  # source name [path...]
  local from=$1 to=$work/$2
  shift 2
  rm -rf "$to"
  "$root/scripts/copy-prefix.sh" "$from" "$to" "${edited[@]}" "$@" 2>"$to.err" ||
    { echo "FAIL: cannot copy the prefix $from: $(cat "$to.err")" >&2; return 1; }
  echo "$to"
}

# A sample developer machine (scripts/sample-prefix.sh) on a copy of the test prefix; prints
# its path. Its wineserver has ended, so the native programs may write its hives.
sample_machine() {  # name [path...]
  local p
  p=$(clone "$base" "$@") || return 1
  "$root/scripts/sample-prefix.sh" "$p" >/dev/null 2>"$p.err" ||
    { echo "FAIL: scripts/sample-prefix.sh failed on $p: $(cat "$p.err")" >&2; return 1; }
  echo "$p"
}

# The sample machine of whole integrations at $sample. The help files and the user's
# VCComponents.dat ($vcc_rel) are edited in place, so every later clone copies them for real.
integration_sample() {
  edited=(drive_c/windows/Help/hhcolreg.dat
    "drive_c/Program Files (x86)/Microsoft Visual Studio/MSDN98/98VS/1033/MSDNVS98.COL")
  sample=$(sample_machine sample) || exit 1
  vcc_rel=$(cd "$sample" && find drive_c/users -path '*/VisualStudio/7.1/VCComponents.dat')
  edited+=("$vcc_rel")
}

# An X display of the script's own in DISPLAY, until it exits. The server picks a free display
# number itself (-displayfd), so tests running side by side never meet. Needs $work.
start_xvfb() {
  local number=$work/.display tries=0
  command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; return 1; }
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  xvfb_pid=$!
  until [ -s "$number" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "Xvfb did not start" >&2
      return 1
    fi
    sleep 0.1
  done
  DISPLAY=":$(cat "$number")"
  export DISPLAY
}
