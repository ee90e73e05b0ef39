#!/usr/bin/env bash
# Runs the fuzzers of the fuzz preset.
#
#   scripts/fuzz.sh [--runs N] [--seconds S] [NAME...]
#       builds the fuzz preset, then runs each fuzzer (all by default) niced, one after the
#       other, from its seed corpus for N runs (default 10000000) or S seconds, whichever
#       comes first, and prints one line per fuzzer: runs, new inputs found, findings.
#   scripts/fuzz.sh --run EXE SEEDS [--runs N] [--seconds S]
#       one fuzzer from the seed folder SEEDS (what CTest calls); the seeds are only read.
# A finding (crash, sanitizer report, broken rule, leak, timeout) is kept under
# build/fuzz/findings/ and makes the exit status 1.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
findings=$root/build/fuzz/findings
runs=10000000 seconds=

run_one() {  # exe seeds
  local exe=$1 seeds=$2
  local name work status limit=(-runs="$runs")
  [ -n "$seconds" ] && limit+=(-max_total_time="$seconds")
  name=$(basename "$exe")
  work=$(mktemp -d "${TMPDIR:-/tmp}/tsl-fuzz-$name.XXXXXX")
  mkdir -p "$work/corpus" "$work/artifacts"
  # New inputs go to the scratch corpus first; the seed folder in the repository stays as it is.
  "$exe" "${limit[@]}" -print_final_stats=1 -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds" >"$work/log" 2>&1
  status=$?
  local runs found
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  found=$(find "$work/corpus" -type f | wc -l)
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
    mkdir -p "$findings"
    cp "$work"/artifacts/* "$findings/" 2>/dev/null
    grep -E -m 20 'ERROR|broken rule|SUMMARY|runtime error|Test unit written' "$work/log"
    echo "$name: ${runs:-?} runs, $found new inputs, FINDING (exit $status; inputs in $findings)"
    rm -rf "$work"
    return 1
  fi
  echo "$name: ${runs:-?} runs, $found new inputs, 0 findings"
  rm -rf "$work"
}

if [ "${1:-}" = --run ]; then
  exe=${2:?--run needs the fuzzer}
  seeds=${3:?--run needs the seed folder}
  shift 3
fi
# Both limits may be given; whichever is reached first ends a fuzzer. --seconds alone lifts
# the run limit.
seconds_only=1
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?--runs needs a number}; seconds_only=0; shift 2 ;;
    --seconds) seconds=${2:?--seconds needs a number}; shift 2 ;;
    *) break ;;
  esac
done
[ -n "$seconds" ] && [ "$seconds_only" = 1 ] && runs=-1
if [ -n "${exe:-}" ]; then
  run_one "$exe" "$seeds"
  exit
fi

cd "$root"
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
fi
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j 2 >/dev/null || {
  echo "fuzz.sh: building the fuzz preset failed" >&2; exit 1; }
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in fuzz/*_fuzzer.cc; do names+=("$(basename "$f" .cc)"); done
fi
status=0
for name in "${names[@]}"; do
  nice -n 10 "$0" --run "build/fuzz/fuzz/$name" "fuzz/corpus/${name%_fuzzer}" --runs "$runs" \
    ${seconds:+--seconds "$seconds"} || status=1
done
exit $status
