#!/usr/bin/env bash
# The Windows zip of a MinGW build: the four programs and the README, linked statically (only
# system DLLs imported), each with the project's version resource; the console programs run
# from the unpacked zip under wine.
# Usage: windows_zip_test.sh BUILD_DIR VERSION OBJDUMP   (TSL_TEST_PREFIX: a prefix)
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
build=${1:?usage: windows_zip_test.sh BUILD_DIR VERSION OBJDUMP}
version=${2:?}
objdump=${3:?}
export WINEDEBUG=-all
unset DISPLAY
scratch zip

cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
zip=$(ls "$work"/pkg/*.zip) || exit 1
unzip -q "$zip" -d "$work/unzipped"
top=$work/unzipped/$(basename "$zip" .zip)
[ "$(cd "$top" && find . -type f | sort | tr '\n' ' ')" = \
  "./README.md ./bin/TSLKTIntegrate.exe ./bin/TSLKTSkinWizard.exe ./bin/tslkt-integrate.exe ./bin/tslkt-skinwizard.exe " ] ||
  fail "the zip holds: $(cd "$top" && find . -type f | sort | tr '\n' ' ')"

for exe in "$top"/bin/*.exe; do
  name=$(basename "$exe" .exe)
  # Every DLL it imports ships with Windows: no MinGW runtime beside it.
  while read -r dll; do
    case ${dll,,} in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|advapi32.dll|shell32.dll|\
      ole32.dll|oleaut32.dll|version.dll|msvcrt.dll|shlwapi.dll|winmm.dll) ;;
      *) fail "$name imports $dll" ;;
    esac
  done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  # The version resource: its strings are UTF-16, each value after its name.
  strings -el "$exe" >"$work/strings"
  for key in FileVersion ProductVersion; do
    [ "$(grep -A1 -x "$key" "$work/strings" | tail -n 1)" = "$version" ] ||
      fail "$name: no $key $version in its version resource"
  done
  [ "$(grep -A1 -x OriginalFilename "$work/strings" | tail -n 1)" = "$name.exe" ] ||
    fail "$name: OriginalFilename is not $name.exe"
done

# Run from a folder outside the build, on a sample machine (never the user's ~/.wine).
test_prefix
WINEPREFIX=$(sample_machine sample) || { echo "no sample prefix"; exit 1; }
export WINEPREFIX
cd "$work" || exit 1
for prog in tslkt-integrate tslkt-skinwizard; do
  out=$(wine "$top/bin/$prog.exe" --version </dev/null | tr -d '\r'); rc=${PIPESTATUS[0]}
  [ "$rc.$out" = "0.$prog $version" ] || fail "$prog.exe --version: status $rc, '$out'"
done
# A dry run on the sample machine, under a locale without UTF-8.
LC_ALL=C wine "$top/bin/tslkt-integrate.exe" --yes --dry-run \
  '-p:C:\Program Files (x86)\Quorvane\Tessaline' </dev/null 2>&1 | tr -d '\r' >"$work/dry.out"
rc=${PIPESTATUS[0]}
[ "$rc" = 0 ] || fail "dry run: status $rc"$'\n'"$(cat "$work/dry.out")"
for line in '[ok] Integration completed successfully' 'Changes it would make (nothing was written):'; do
  grep -qxF "$line" "$work/dry.out" || fail "dry run: no line '$line'"
done
! LC_ALL=C grep -q '[^[:print:][:space:]]' "$work/dry.out" || fail "dry run: bytes that are not ASCII"
[ "$failures" = 0 ] && echo "windows_zip_test: passed"
exit $((failures > 0))
