#!/usr/bin/env bash
# Builds the three packages into build/packages: the Debian package of the Linux tools
# (tslkt-integrate, tslkt-skinwizard, their man pages and completions, and the x64 Windows
# tslkt-integrate.exe the native one hands the Help 2 steps to) and a zip per Windows
# architecture (x64, x86) with the four programs and the README.
# Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/packages
jobs=$(nproc 2>/dev/null || echo 2)
mkdir -p build/logs "$out"
# The x64 Windows build first: the Debian package carries its console beside the native one,
# for the Help 2 steps.
for preset in mingw64 mingw32 default; do
  targets=(tslkt-integrate tslkt-skinwizard)
  [ "$preset" = default ] || targets+=(TSLKTIntegrate TSLKTSkinWizard)
  echo "== $preset: ${targets[*]}"
  log=$root/build/logs/package-$preset.log
  # Only the programs: a package holds no test.
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j "$jobs" \
           --target "${targets[@]}" && cpack --config "build/$preset/CPackConfig.cmake" -B "$out"; } \
       >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "package.sh: packaging $preset failed (log: $log)" >&2
    exit 1
  fi
done
rm -rf "$out/_CPack_Packages"
ls -l "$out"
