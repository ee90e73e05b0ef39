#!/usr/bin/env bash
# Times the whole sample integration (Visual C++ 6.0, Visual Studio .NET 2003 and 2005, every
# item) with the native tslkt-integrate: each run on a fresh copy of the sample prefix. Prints
# the median, minimum and maximum wall time and the command.
#
# Usage: bench/sample_integration.sh [RUNS [OPTION...]]   (default 21 runs; needs the default
# preset built). Options go to tslkt-integrate: `bench/sample_integration.sh 21 --dry-run` times
# the same run without its writes, the floor the real run is measured against.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/build/default/integrate/console/tslkt-integrate
base=$root/build/default/wineprefix
runs=${1:-21}
shift $(($# > 0 ? 1 : 0))
options=("$@")
[ -x "$exe" ] || { echo "build the default preset first" >&2; exit 1; }
"$root/scripts/make-prefix.sh" "$base" || exit 1
export WINEDEBUG=-all
source "$root/scripts/wine-env.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/tsl-bench.XXXXXX")
trap 'WINEPREFIX=$work/sample wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
"$root/scripts/copy-prefix.sh" "$base" "$work/sample"
"$root/scripts/sample-prefix.sh" "$work/sample" >/dev/null || exit 1
WINEPREFIX=$work/sample wineserver -w

# The files a run edits in place of the hives; the rest it replaces or adds.
edited=(drive_c/windows/Help/hhcolreg.dat
  "drive_c/Program Files (x86)/Microsoft Visual Studio/MSDN98/98VS/1033/MSDNVS98.COL"
  "$(cd "$work/sample" && find drive_c/users -name VCComponents.dat | head -n 1)")
times=()
for i in $(seq "$runs"); do
  "$root/scripts/copy-prefix.sh" "$work/sample" "$work/run" "${edited[@]}"
  start=$(date +%s%N)
  WINEPREFIX=$work/run "$exe" --yes "${options[@]}" </dev/null >/dev/null 2>&1
  rc=$?
  end=$(date +%s%N)
  rm -rf "$work/run"
  # A Visual C++ stand-in of another test running on this machine fails the run (status 1).
  [ "$rc" -eq 0 ] || { echo "run $i: exit status $rc, not counted" >&2; continue; }
  times+=($(((end - start) / 1000)))
done
[ ${#times[@]} -gt 0 ] || { echo "no run completed" >&2; exit 1; }
printf '%s\n' "${times[@]}" | sort -n | awk -v cmd="tslkt-integrate --yes${options[*]:+ ${options[*]}}" '
  { t[NR] = $1 }
  END { printf "%s on the sample prefix, %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n",
        cmd, NR, t[int((NR + 1) / 2)] / 1000, t[1] / 1000, t[NR] / 1000 }'
