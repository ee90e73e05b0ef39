#!/usr/bin/env bash
# The native tslkt-integrate hands its Help 2 step to the Windows build under wine when the
# prefix has the registration service: here our own test server (help2_server.dll), whose call
# log shows what reached it. Without the server the step fails as it always has.
#
# Usage: help2_handover_test.sh NATIVE_EXE WINDOWS_EXE SERVER_DLL   (both of the x64 build)
# TSL_TEST_PREFIX names a prefix made by scripts/make-prefix.sh; it is only read.
set -uo pipefail
source "$(dirname "$0")/../../lib.sh"
exe=${1:?usage: help2_handover_test.sh NATIVE_EXE WINDOWS_EXE SERVER_DLL}
winexe=${2:?}
dll=${3:?}
unset DISPLAY
for f in "$winexe" "$dll"; do
  if [ ! -f "$f" ]; then
    echo "skipped: $f not found; the hand-over needs the x64 Windows build and the test server:"
    echo "  cmake --preset mingw64 && cmake --build --preset mingw64 --target tslkt-integrate tsl_help2_server"
    exit 77
  fi
done
test_prefix
scratch handover
edited=(drive_c/windows/Help/hhcolreg.dat)
p=$(sample_machine sample) || exit 1
lib='C:\Program Files (x86)\Quorvane\Tessaline'
dirs_key='HKCU\Software\Microsoft\DevStudio\6.0\Build System\Components\Platforms\Win32 (x86)\Directories'
clsid='HKCR\CLSID\{31411219-A502-11D2-BBCA-00C04F8EC294}'
log=$work/help2.log
export TSL_HELP2_LOG="Z:${log//\//\\}"
settle() { WINEPREFIX=$p wineserver -k 2>/dev/null; WINEPREFIX=$p wineserver -w 2>/dev/null; true; }
run() {  # args...: the native program on the sample; progress lines in $work/lines
  : >"$log"
  WINEPREFIX=$p "$exe" --windows-build="$winexe" "$@" </dev/null >"$work/out" 2>"$work/err"
  rc=$?
  grep -E '^(✓|✗) ' "$work/out" >"$work/lines"
}

# The calls of one version's registration, as the test server logs them.
registration() {  # parent namespace
  printf '%s\n' 'create session' 'CreateTransaction("")' 'GetRegistrationObject(0)' \
    'RegisterNamespace("Quorvane.TessalineSE", "'"$lib"'\Help\col_tslktse.hxc", "Tessaline Library Standard Edition")' \
    'RegisterHelpFile("Quorvane.TessalineSE", "Quorvane.TessalineSE", 1033, "'"$lib"'\Help\Quorvane.TessalineSE.hxs")' \
    'CommitTransaction()' 'CreateTransaction("")' 'GetRegistrationObject(2)' \
    "RegisterHelpPlugIn(\"$1\", \"_DEFAULT\", \"Quorvane.TessalineSE\", \"_DEFAULT\", \"\", 0)"
}
released=$'release plugin\nrelease register\nrelease session'
full_lines=$'✓ Integration with Visual C++ 6.0\n✓     MSDN Integration\n✓     Setup directories
✓     Copy TSLXAppWizard\n✓     Copy TSLSkinWizard\n✓ Integration completed successfully
✓ Integration with VS.NET 2003\n✓     Copy TSLXAppWizard for VS.NET 2003
✓     Setup VS.NET 2003 directories\n✓     Integration with VS.NET 2003 Help
✓ Integration completed successfully\n✓ Integration with VS 2005\n✓     Copy TSLXAppWizard for VS 2005
✓     Integration with VS 2005 Help\n✓ Integration completed successfully'
help_lines=$'✓ Integration with VS.NET 2003\n✓     Integration with VS.NET 2003 Help
✓ Integration completed successfully\n✓ Integration with VS 2005\n✓     Integration with VS 2005 Help
✓ Integration completed successfully'

current="without the service: today's message, no wine"
run --ide net71 --items help --yes
expect_eq "exit status" 0 "$rc"
expect_eq "lines" "$(head -n 3 <<<"$help_lines")" "$(cat "$work/lines")"
expect_eq "messages" "tslkt-integrate: Unable to integrate help with VS.NET 2003. Error: 80040154, (null)" "$(cat "$work/err")"
expect_eq "server log" "" "$(cat "$log")"

WINEPREFIX=$p wine reg add "$clsid\InprocServer32" /ve /d "Z:${dll//\//\\}" /f /reg:64 >/dev/null
WINEPREFIX=$p wine reg add "$clsid\InprocServer32" /v ThreadingModel /d Apartment /f /reg:64 >/dev/null
settle

current="the whole integration: help through the Windows build, the run's own values kept"
run --yes
expect_eq "exit status" 0 "$rc"
expect_eq "lines" "$full_lines" "$(cat "$work/lines")"
expect_eq "messages" "tslkt-integrate: Setting VS 2005 directories is not implemented yet. Please refer Release Notes how to update VS 2005 VC++ Directories manually." "$(cat "$work/err")"
expect_eq "server log" "$(registration MS.VSCC.2003)"$'\nCommitTransaction()\n'"$released
$(registration MS.VSCC.v80)"$'\nCommitTransaction()\n'"$released" "$(tr -d '\r' <"$log")"
# Wine rewrote user.reg from what it loaded: the values written before the hand-over stay.
include=$(WINEPREFIX=$p wine reg query "$dirs_key" /v 'Include Dirs' 2>/dev/null | tr -d '\r')
settle
[[ $include == *"$lib\\Tessaline"* ]] || fail "Include Dirs lost the library's folder: $include"
ls "$p"/drive_c/users/*/AppData/Local/Quorvane/Tessaline/Journals/*.jnl >/dev/null 2>&1 \
  || fail "no journal of the native run"

current="the service refuses: its message in the run's own words"
export TSL_HELP2_FAIL='RegisterHelpPlugIn:0x80070005:Access is denied by the test server.'
run --ide net71 --items help --yes
unset TSL_HELP2_FAIL
expect_eq "exit status" 0 "$rc"
expect_eq "lines" "$(head -n 3 <<<"$help_lines")" "$(cat "$work/lines")"
expect_eq "messages" "tslkt-integrate: Unable to integrate help with VS.NET 2003. Error: 80070005, Access is denied by the test server." "$(cat "$work/err")"
expect_eq "server log" "$(registration MS.VSCC.2003)"$'\n'"$released" "$(tr -d '\r' <"$log")"
# The prefix is ours again at once: a second run is not stopped by a lingering wineserver.
run --ide net71 --items directories --yes
expect_eq "run right after a hand-over" 0 "$rc"

current="the Windows build missing: said so, and the IDE completes"
WINEPREFIX=$p "$exe" --windows-build="$work/none.exe" --ide vs2005 --items help --yes \
  </dev/null >"$work/out" 2>"$work/err"
expect_eq "exit status" 0 "$?"
expect_eq "messages" "tslkt-integrate: The Windows build could not carry out the VS 2005 Help step: cannot read the Windows build $work/none.exe: No such file or directory" "$(cat "$work/err")"

echo "help2 hand-over: $failures failure(s)"
[ "$failures" -eq 0 ]
