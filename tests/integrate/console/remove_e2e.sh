#!/usr/bin/env bash
# tslkt-integrate --remove and --status end to end on the sample machine (scripts/sample-prefix.sh
# on a copy of the test prefix): a removal leaves the machine as it was before the integration,
# whoever integrated it, keeps what the user changed, and is itself taken back by --undo; the
# status says where the library stands, as a table and as JSON.
#
# Usage: remove_e2e.sh EXE          the native build
#        remove_e2e.sh --wine EXE   the Windows build, run under wine
# TSL_TEST_PREFIX names a prefix made by scripts/make-prefix.sh; it is only read.
set -uo pipefail
source "$(dirname "$0")/../../lib.sh"
test_prefix
unset DISPLAY

how=native
[ "${1:-}" = --wine ] && { how=wine; shift; }
exe=${1:?usage: remove_e2e.sh [--wine] EXE}
scratch remove-e2e

expect_rc() { expect_eq "exit status (messages: $(head -c 600 "$p/.err"))" "$1" "$rc"; }

integration_sample

lib_rel='drive_c/Program Files (x86)/Quorvane/Tessaline'
template_rel='drive_c/Program Files (x86)/Microsoft Visual Studio/Common/MSDev98/Template'
vs71_rel='drive_c/Program Files (x86)/Microsoft Visual Studio .NET 2003'
dirs_key='HKCU\Software\Microsoft\DevStudio\6.0\Build System\Components\Platforms\Win32 (x86)\Directories'
lib='C:\Program Files (x86)\Quorvane\Tessaline'
vs='C:\Program Files (x86)\Microsoft Visual Studio'

run() {  # prefix args...: stdout in $p/.out, stderr in $p/.err, status in $rc
  p=$1
  shift
  if [ "$how" = wine ]; then
    WINEPREFIX=$p wine "$exe" "$@" </dev/null >"$p/.out" 2>"$p/.err"
    rc=$?
    sed -i 's/\r$//' "$p/.out" "$p/.err"
    WINEPREFIX=$p wineserver -w
  else
    WINEPREFIX=$p "$exe" "$@" </dev/null >"$p/.out" 2>"$p/.err"
    rc=$?
  fi
}
settle() { WINEPREFIX=$1 wineserver -k 2>/dev/null; WINEPREFIX=$1 wineserver -w 2>/dev/null; true; }
# Every file the integration may touch with its content and mode and every folder there, and the
# user's hive without the times Wine stamps on a key it writes; the journals and the backups the
# removal keeps left out.
machine() {  # prefix
  (cd "$1" && find "drive_c/Program Files (x86)" drive_c/windows/Help drive_c/users \
     -path '*/AppData/Local/Quorvane' -prune -o -path "$lib_rel/Help/hhcolreg.dat" -prune \
     -o -path "$lib_rel/Help/MSDNVS98.COL" -prune -o -path "$lib_rel/directories.txt" -prune \
     -o -type f -printf '%m %p\n' -o -type d -print | sort
   find "drive_c/Program Files (x86)" drive_c/windows/Help drive_c/users -type f \
     -not -path '*/AppData/Local/Quorvane/*' -not -path "$lib_rel/Help/hhcolreg.dat" \
     -not -path "$lib_rel/Help/MSDNVS98.COL" -not -path "$lib_rel/directories.txt" \
     -exec md5sum {} + | sort -k2)
  grep -avE '^(\[.*\] [0-9]+|#time=.*)$' "$1/user.reg"
}
expect_machine() {  # what expected prefix
  local now
  now=$(machine "$3")
  [ "$2" == "$now" ] || fail "$1:"$'\n'"$(diff <(echo "$2") <(echo "$now") | head -n 20)"
}
# The status as "ide item state" lines, from the table and from the JSON.
status_lines() { sed -n 's/^  \([a-z0-9]*\) *\([a-z]*\) *\(.*\)$/\1 \2 \3/p' "$1/.out"; }
json_lines() {
  python3 -c 'import json,sys
for o in json.load(open(sys.argv[1])): print(o["ide"], o["item"], o["state"])' "$1/.out"
}
status_of() {  # prefix expected-status expected-lines
  run "$1" --status
  expect_eq "status exit" "$2" "$rc"
  expect_eq "status" "$3" "$(status_lines "$1")"
  run "$1" --status --format=json
  expect_eq "json status exit" "$2" "$rc"
  python3 -m json.tool "$1/.out" >/dev/null || fail "the JSON does not parse: $(cat "$1/.out")"
  expect_eq "json agrees" "$3" "$(json_lines "$1")"
}
all_states() {  # vc6-state net71-state; help 2 cannot be told
  printf '%s\n' "vc6 directories $1" "vc6 help $1" "vc6 appwizard $1" "vc6 skinwizard $1" \
    "net71 directories $2" "net71 help cannot tell" "net71 appwizard $2" \
    "vs2005 help cannot tell" "vs2005 appwizard $2"
}

# --- The status on a fresh, a full and a partly integrated machine -------------------------------
current="status"
p=$(clone "$sample" status)
before=$(machine "$p")
status_of "$p" 1 "$(all_states 'not in' 'not in')"
expect_machine "a status changes nothing" "$before" "$p"
run "$p" --yes
status_of "$p" 0 "$(all_states in in)"
# One entry taken out by hand, one wizard file changed, one .NET file gone.
WINEPREFIX=$p wine reg add "$dirs_key" /v 'Library Dirs' /d "$vs"'\VC98\LIB' /f >/dev/null 2>&1
settle "$p"
printf 'mine\r\n' >>"$p/$template_rel/TSLSkinWizard.awx"
rm "$p/$vs71_rel/Vc7/VCWizards/TSLAppWizard/HTML/1033/default.htm"
status_of "$p" 1 "$(all_states in in | sed -e 's/^vc6 directories in/vc6 directories partly in/' \
  -e 's/^vc6 skinwizard in/vc6 skinwizard partly in/' -e 's/^net71 appwizard in/net71 appwizard partly in/')"
run "$p" --status --ide vc6 --items help
expect_eq "chosen items only" "vc6 help in" "$(status_lines "$p")"
run "$p" --status --remove
expect_rc 2
p=$(clone "$base" bare)
run "$p" --status
expect_eq "no library" 3 "$rc"

# --- Integrate, remove, and the machine is as before -------------------------------------------
current="remove after an integration"
p=$(clone "$sample" full)
before=$(machine "$p")
run "$p" --yes
integrated=$(machine "$p")
run "$p" --remove --yes --dry-run
expect_rc 0
cp "$p/.out" "$work/dry.out"
expect_machine "a dry run changes nothing" "$integrated" "$p"
run "$p" --remove --yes
expect_rc 0
expect_eq "progress lines" "✓ Removal from Visual C++ 6.0
✓     Remove MSDN entries
✓     Remove directories
✓     Remove TSLXAppWizard
✓     Remove TSLSkinWizard
✓ Removal completed successfully
✓ Removal from VS.NET 2003
✓     Remove TSLXAppWizard from VS.NET 2003
✓     Remove VS.NET 2003 directories
✓     Remove Tessaline Help from VS.NET 2003
✓ Removal completed successfully
✓ Removal from VS 2005
✓     Remove TSLXAppWizard from VS 2005
✓     Remove Tessaline Help from VS 2005
✓ Removal completed successfully" "$(grep -E '^(✓|✗) ' "$p/.out")"
expect_machine "the machine as before the integration" "$before" "$p"
expect_grep "journal" "(tslkt-integrate --undo takes this run back)" "$p/.out"
# The dry run listed exactly what the removal changed: every file and folder it took away, the
# two files it edited and their backups, the two values.
removed=$(sed -n 's/^.*Changes it would make.*$//; s/^\(C:\\.*\): \(deleted\|folder removed\).*$/\1/p; s/^--- \(C:\\.*\)$/\1/p' "$work/dry.out" | sort -u)
expected=$(diff <(printf '%s\n' "$integrated" | sed -n 's/^[0-7]* drive_c/C:/p; s/^drive_c/C:/p') \
             <(printf '%s\n' "$before" | sed -n 's/^[0-7]* drive_c/C:/p; s/^drive_c/C:/p') \
           | sed -n 's/^< //p' | tr / '\\' | sort -u)
expect_eq "files and folders listed = taken away" "$expected" \
  "$(printf '%s\n' "$removed" | grep -vF -e 'MSDNVS98.COL' -e 'hhcolreg.dat' -e 'VCComponents.dat')"
expect_eq "edited files listed" 3 "$(grep -cE '^--- C:.*(MSDNVS98.COL|hhcolreg.dat|VCComponents.dat)$' "$work/dry.out")"
expect_eq "values listed" 2 "$(grep -c '^  new: ' "$work/dry.out")"

current="a second removal"
run "$p" --remove --yes
expect_rc 0
expect_grep "says so" "Nothing to remove: the library is in none of the chosen IDEs." "$p/.out"
expect_machine "changes nothing" "$before" "$p"

current="undo after a removal"
run "$p" --undo
expect_rc 0
expect_machine "the integration is back" "$integrated" "$p"

# --- A machine integrated by hand, without a journal -------------------------------------------
current="remove a hand-made integration"
p=$(clone "$sample" by-hand)
before=$(machine "$p")
include=$(WINEPREFIX=$p wine reg query "$dirs_key" /v 'Include Dirs' | tr -d '\r' | sed -n 's/^ *Include Dirs *REG_SZ *//p')
WINEPREFIX=$p wine reg add "$dirs_key" /v 'Include Dirs' /d "$lib\\Tessaline;$include;$lib\\Tessaline" /f >/dev/null 2>&1
WINEPREFIX=$p wine reg add "$dirs_key" /v 'Library Dirs' /d "$vs"'\VC98\LIB;'"$lib"'\Bin;'"$vs"'\VC98\MFC\LIB' /f >/dev/null 2>&1
settle "$p"
cp "$p/$lib_rel/TSLAppWizard/Release/TSLXAppWizard.awx" "$p/$lib_rel/TSLSkinWizard/Release/TSLSkinWizard.awx" \
  "$p/$template_rel/"
cp -r "$p/$lib_rel/TSLAppWizard7/TSLAppWizard" "$p/$vs71_rel/Vc7/VCWizards/"
cp "$p/$lib_rel/TSLAppWizard7/TSLAppWizard/Scripts/1033/default-2003.js" \
  "$p/$vs71_rel/Vc7/VCWizards/TSLAppWizard/Scripts/1033/default.js"
cp "$p/$lib_rel/TSLAppWizard7/vcprojects/"* "$p/$vs71_rel/Vc7/vcprojects/"
# The launch file as the user changed it stays, and is named.
printf 'VSWIZARD 7.0\r\nWizard=Mine\r\n' >"$p/$vs71_rel/Vc7/vcprojects/TSLAppWizard.vsz"
sed -i -e "0,/^Include Dirs=/s/^\(Include Dirs=.*\)\r$/\1;${lib//\\/\\\\}\\\\Tessaline\r/" \
  -e "0,/^Library Dirs=/s/^\(Library Dirs=.*\)\r$/\1;${lib//\\/\\\\}\\\\bin71;\r/" "$p/$vcc_rel"
run "$p" --remove --yes --items directories,appwizard,skinwizard
expect_rc 0
expect_grep "changed file named" "tslkt-integrate: $vs"' .NET 2003\Vc7\vcprojects\TSLAppWizard.vsz is not the library'"'s copy" "$p/.err"
expect_eq "the changed file stays" "VSWIZARD 7.0 Wizard=Mine" "$(tr '\r\n' '  ' <"$p/$vs71_rel/Vc7/vcprojects/TSLAppWizard.vsz" | xargs)"
rm "$p/$vs71_rel/Vc7/vcprojects/TSLAppWizard.vsz"
expect_machine "everything else as before" "$before" "$p"

echo "remove e2e ($how): $failures failure(s)"
[ "$failures" -eq 0 ]
