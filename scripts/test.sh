#!/usr/bin/env bash
# Installs what is missing, builds the native and both Windows presets, runs every test:
# natively, and the Windows test executables under wine (64-bit and 32-bit); then builds the
# fuzzers and runs each briefly. Ends with one summary line over all four runs.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh || { echo "test.sh: installing the packages failed" >&2; exit 1; }
export WINEDEBUG=-all
source scripts/wine-env.sh
jobs=$(nproc 2>/dev/null || echo 2)
# The fuzz preset builds the fuzzers with clang and its sanitizers and runs each briefly. It is
# also the one clang build of the whole native code: clang, unlike GCC, sees an ignored
# [[nodiscard]] result of a call through a virtual function, which -Werror=unused-result (set
# for every build in CMakeLists.txt) turns into a failed build.
presets=(default mingw64 mingw32 fuzz)
logdir=$root/build/logs
mkdir -p "$logdir"

# The size and time of each registry file of a preset's shared prefix (none for the fuzzers).
hive_stamps() { stat -c '%n %s %Y' "$root/build/$1/wineprefix"/*.reg 2>/dev/null; }

passed=0 failed=0 broken=() skipped=() built=()
# Every build first: the native tests hand Help 2 steps to the x64 Windows build and install it
# beside the native program, and the Windows console tests compare with the native program.
for preset in "${presets[@]}"; do
  echo "== $preset: configure and build"
  if ! cmake --preset "$preset" >"$logdir/$preset-configure.log" 2>&1; then
    tail -n 40 "$logdir/$preset-configure.log"; broken+=("$preset"); continue
  fi
  if ! cmake --build --preset "$preset" -j "$jobs" >"$logdir/$preset-build.log" 2>&1; then
    grep -E 'error|Error' "$logdir/$preset-build.log" | head -n 40; broken+=("$preset"); continue
  fi
  built+=("$preset")
done
for preset in "${built[@]}"; do
  if [ "$preset" = mingw32 ] && [ "$TSL_WINE32" = 0 ]; then
    echo "== $preset: built; its tests not run: $TSL_WINE32_WHY"
    skipped+=("$preset"); continue
  fi
  # One Wine prefix per build directory, made once and reused; the fuzzers need none.
  if [ "$preset" != fuzz ] && ! scripts/make-prefix.sh "$root/build/$preset/wineprefix"; then
    broken+=("$preset"); continue
  fi
  echo "== $preset: test"
  # The shared prefix is only read by the tests, which copy it: one that wrote it could break
  # a copy taken at that moment.
  hives=$(hive_stamps "$preset")
  ctest --preset "$preset" -j "$jobs" --output-on-failure 2>&1 | tee "$logdir/$preset-test.log" \
    | grep -E '(\*\*\*|Not Run|tests passed|tests failed|Total Test time|FAILED:|^[[:space:]]+[0-9]+ - )'
  # What a failed test said, briefly, for a log that shows only part of the output: the start
  # of its output and every line of it that names a failure.
  awk '/\*\*\*(Failed|Timeout|Exception)/ { block = 1; n = 0; next }
       /^ +Start +[0-9]+:|^ *[0-9]+\/[0-9]+ Test +#|tests passed,/ { block = 0 }
       block && (n++ < 12 || /Failure$|[Ee]rror|[Ff]ail|✗/)' "$logdir/$preset-test.log" | head -n 80
  if [ "$(hive_stamps "$preset")" != "$hives" ]; then
    echo "test.sh: a $preset test wrote the shared prefix build/$preset/wineprefix" >&2
    broken+=("$preset")
  fi
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$logdir/$preset-test.log" | tail -n 1)
  if [ -z "$summary" ]; then broken+=("$preset"); continue; fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  nfail=$(sed -E 's/.*, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((passed + total - nfail))
  failed=$((failed + nfail))
done
# Leave no wineserver behind.
for preset in "${presets[@]}"; do
  [ -d "$root/build/$preset/wineprefix" ] && WINEPREFIX=$root/build/$preset/wineprefix wineserver -k 2>/dev/null
done
status=0
if [ ${#broken[@]} -gt 0 ]; then
  echo "test.sh: could not build or run the tests of: ${broken[*]} (logs in build/logs)" >&2
  status=1
fi
[ "$failed" -eq 0 ] || status=1
[ ${#skipped[@]} -gt 0 ] && echo "test.sh: the tests of ${skipped[*]} (the x86 Windows build) were not run: $TSL_WINE32_WHY"
echo "tests: $passed passed, $failed failed"
exit $status
