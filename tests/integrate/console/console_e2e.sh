#!/usr/bin/env bash
# End-to-end runs of tslkt-integrate on sample Wine prefixes (scripts/sample-prefix.sh on a
# copy of the test prefix), checked afterwards with `wine reg query` and by file content.
#
# Usage: console_e2e.sh EXE                 the native build
#        console_e2e.sh --wine EXE          the Windows build, run under wine
#        console_e2e.sh --compare EXE WINEXE  both on twin prefixes: same lines, same files
#        console_e2e.sh --help2 BITS WINEXE DLL  the Windows build's Help 2 step against our
#                                                own registration server DLL of that bitness
# TSL_TEST_PREFIX names a prefix made by scripts/make-prefix.sh; it is only read.
set -uo pipefail
source "$(dirname "$0")/../../lib.sh"
unset DISPLAY  # nothing here needs a window

mode=native
case ${1:-} in
  --wine) mode=wine; shift ;;
  --compare) mode=compare; shift ;;
  --help2) mode=help2; bits=${2:?}; shift 2 ;;
esac
exe=${1:?usage: console_e2e.sh [--wine|--compare] EXE [WINDOWS_EXE]}
winexe=${2:-}
[ "$mode" != compare ] || [ -n "$winexe" ] || { echo "--compare needs both programs" >&2; exit 2; }
[ "$mode" != help2 ] || [ -n "$winexe" ] || { echo "--help2 needs the program and the DLL" >&2; exit 2; }
if [ "$mode" = compare ] && [ ! -x "$exe" ]; then
  echo "native build not found at $exe: nothing to compare with"
  exit 77  # skipped
fi
test_prefix
scratch console-e2e
fakes=()
tidy() { for pid in "${fakes[@]}"; do kill "$pid" 2>/dev/null; done; }

expect_rc() { expect_eq "exit status" "$1" "$rc"; }
expect_lines() {  # prefix expected: the progress lines, and the messages when they differ
  local actual
  actual=$(cat "$1/.lines")
  [ "$2" == "$actual" ] || fail "progress lines"$'\n'"  expected: $2"$'\n'"  actual:   $actual"$'\n'"  messages: $(cat "$1/.err")"
}
expect_same_file() {  # what expected-file actual-file
  cmp -s "$2" "$3" || { fail "$1 differs"; diff <(cat -A "$2") <(cat -A "$3") | head -n 20; }
}

# --- Prefixes ---------------------------------------------------------------------------------
# Copies share the big, never-written files with their source through hard links; the hive
# files and every file a run edits are copied for real, so no run reaches into another.
integration_sample

lib='C:\Program Files (x86)\Quorvane\Tessaline'
vs='C:\Program Files (x86)\Microsoft Visual Studio'
lib_rel='drive_c/Program Files (x86)/Quorvane/Tessaline'
template_rel='drive_c/Program Files (x86)/Microsoft Visual Studio/Common/MSDev98/Template'
col_rel='drive_c/Program Files (x86)/Microsoft Visual Studio/MSDN98/98VS/1033/MSDNVS98.COL'
colreg_rel='drive_c/windows/Help/hhcolreg.dat'
dirs_key='HKCU\Software\Microsoft\DevStudio\6.0\Build System\Components\Platforms\Win32 (x86)\Directories'
old_include="$vs"'\VC98\INCLUDE;'"$vs"'\VC98\MFC\INCLUDE;'"$vs"'\VC98\ATL\INCLUDE'
old_library="$vs"'\VC98\LIB;'"$vs"'\VC98\MFC\LIB'
id='{764DA86D-1460-41f1-80BD-2C2F06C0B473}'
vs71_rel='drive_c/Program Files (x86)/Microsoft Visual Studio .NET 2003'
vs80_rel='drive_c/Program Files (x86)/Microsoft Visual Studio 8'

# Runs the program on a prefix: stdout in $p/.out (progress lines in $p/.lines), stderr in
# $p/.err, status in $rc. Without a terminal on stdin, as in a script.
msdev_running() { grep -qa 'MSDEV.EXE' /proc/[0-9]*/cmdline 2>/dev/null; }
run() {  # how prefix args...
  local how=$1 p=$2 i
  shift 2
  # The check sees every process of the machine: wait out a stray one that is not ours.
  if [ ${#fakes[@]} -eq 0 ]; then
    for i in $(seq 300); do msdev_running || break; sleep 0.1; done
  fi
  if [ "$how" = wine ]; then
    WINEPREFIX=$p wine "$winexe_run" "$@" </dev/null >"$p/.out" 2>"$p/.err"
    rc=$?
    # The Windows build writes text mode's CR LF; the texts themselves are what counts.
    sed -i 's/\r$//' "$p/.out" "$p/.err"
  else
    WINEPREFIX=$p "$exe" "$@" </dev/null >"$p/.out" 2>"$p/.err"
    rc=$?
  fi
  grep -E '^(✓|✗) ' "$p/.out" >"$p/.lines"
}
# The hive files are read directly by the native build: let the prefix's server write them
# and end before such a run.
settle() { WINEPREFIX=$1 wineserver -k 2>/dev/null; WINEPREFIX=$1 wineserver -w 2>/dev/null; true; }
reg_value() {  # prefix key value
  # Into a pipe, reg.exe writes the console's OEM code page.
  WINEPREFIX=$1 wine reg query "$2" /v "$3" 2>/dev/null | iconv -f CP437 -t UTF-8 | tr -d '\r' \
    | sed -n "s/^    $3    REG_SZ    //p"
}

# The expected hhcolreg.dat and collection file after one run, from the sample's originals:
# the block of ours stands right before the closing tag, which follows its six spaces.
insert_before() {  # file tag block
  local text
  text=$(tr -d '\r' <"$1")
  printf '%s\n' "${text/"$2"/"$3"$'\n      '"$2"}" | sed 's/$/\r/'
}
expected_colreg() {  # original
  insert_before "$1" '</DocCompilations>' "$(printf '%s\n' '<DocCompilation>' \
    $'\t<DocCompId value="'"$id"'"/>' $'\t<DocCompLanguage value=1033/>' $'\t<LocationHistory>' \
    $'\t\t<ColNum value=1/>' $'\t\t<TitleLocation value="'"$lib"'\Help\TSLHelp.chm"/>' \
    $'\t\t<IndexLocation value="'"$lib"'\Help\TSLHelp.chi"/>' $'\t\t<LocationRef value=""/>' \
    $'\t\t<Version value=1/>' $'\t\t<LastPromptedVersion value=0/>' \
    $'\t\t<TitleSampleLocation value=""/>' $'\t\t<TitleQueryLocation value=""/>' \
    $'\t\t<SupportsMerge value=0/>' $'\t</LocationHistory>' '</DocCompilation>')"
}
expected_col() {  # original
  insert_before "$1" '</Folders>' "$(printf '%s\n' $'\t\t<Folder>' \
    $'\t\t\t<TitleString value="Tessaline"/>' $'\t\t\t<FolderOrder value=2/>' $'\t\t\t<Folder>' \
    $'\t\t\t\t<TitleString value="='"$id"'"/>' $'\t\t\t\t<FolderOrder value=1/>' \
    $'\t\t\t\t<LangId value=1033/>' $'\t\t\t</Folder>' $'\t\t</Folder>')"
}

vc6_lines=$'✓ Integration with Visual C++ 6.0\n✓     MSDN Integration\n✓     Setup directories
✓     Copy TSLXAppWizard\n✓     Copy TSLSkinWizard\n✓ Integration completed successfully'
full_lines="$vc6_lines"$'\n✓ Integration with VS.NET 2003\n✓     Copy TSLXAppWizard for VS.NET 2003
✓     Setup VS.NET 2003 directories\n✓     Integration with VS.NET 2003 Help
✓ Integration completed successfully\n✓ Integration with VS 2005\n✓     Copy TSLXAppWizard for VS 2005
✓     Integration with VS 2005 Help\n✓ Integration completed successfully'
# Without a Help 2 runtime the session class is not registered, natively and under wine.
full_messages=$'tslkt-integrate: Unable to integrate help with VS.NET 2003. Error: 80040154, (null)
tslkt-integrate: Setting VS 2005 directories is not implemented yet. Please refer Release Notes how to update VS 2005 VC++ Directories manually.
tslkt-integrate: Unable to integrate help with VS 2005. Error: 80040154, (null)'

# The .NET family after one run: each wizard folder a copy of the library's, the 2003
# variants in place for 7.1 only, the launch files merged into the IDE's own vcprojects, and
# the 7.1 lists of VCComponents.dat extended on their first lines.
check_vsnet() {  # prefix
  local p=$1 lib7="$1/$lib_rel/TSLAppWizard7" lib8="$1/$lib_rel/TSLAppWizard2005"
  local w71="$p/$vs71_rel/Vc7/VCWizards/TSLAppWizard" w80="$p/$vs80_rel/Vc/VCWizards/AppWiz/TSLAppWizard"
  diff -r -x default.js "$lib7/TSLAppWizard" "$w71" >/dev/null || fail "7.1 wizard folder differs"
  expect_same_file "7.1 default.js" "$lib7/TSLAppWizard/Scripts/1033/default-2003.js" \
    "$w71/Scripts/1033/default.js"
  diff -r "$lib8/TSLAppWizard" "$w80" >/dev/null || fail "8.0 wizard folder differs"
  local f
  for f in TSLAppWizard-2003.vsz TSLAppWizard.vsdir; do
    expect_same_file "7.1 $f" "$lib7/vcprojects/$f" "$p/$vs71_rel/Vc7/vcprojects/$f"
  done
  expect_same_file "7.1 TSLAppWizard.vsz" "$lib7/vcprojects/TSLAppWizard-2003.vsz" \
    "$p/$vs71_rel/Vc7/vcprojects/TSLAppWizard.vsz"
  diff -r -x MFCAppWiz.vsz "$lib8/vcprojects" "$p/$vs80_rel/Vc/vcprojects" >/dev/null \
    || fail "8.0 vcprojects differs"
  expect_same_file "7.1 IDE's own launch file" "$sample/$vs71_rel/Vc7/vcprojects/MFCAppWiz.vsz" \
    "$p/$vs71_rel/Vc7/vcprojects/MFCAppWiz.vsz"
  tr -d '\r' <"$sample/$vcc_rel" | LIB=$lib awk '
    !inc && /^Include Dirs=/ { $0 = $0 ";" ENVIRON["LIB"] "\\Tessaline;"; inc = 1 }
    !bin && /^Library Dirs=/ { $0 = $0 ";" ENVIRON["LIB"] "\\bin71;"; bin = 1 }
    { printf "%s\r\n", $0 }' >"$work/VCComponents.dat"
  expect_same_file "VCComponents.dat" "$work/VCComponents.dat" "$p/$vcc_rel"
}

# A process of this machine that the running-IDE check sees as Visual C++.
start_fake_msdev() {  # how prefix
  local how=$1 p=$2
  if [ "$how" = wine ]; then
    # A Windows process under the same wineserver: a copy of cmd.exe named MSDEV.EXE that
    # waits on a pipe nobody writes.
    mkdir -p "$p/drive_c/VS"
    cp "$p/drive_c/windows/system32/cmd.exe" "$p/drive_c/VS/MSDEV.EXE"
    mkfifo "$p/.msdev-in"
    WINEPREFIX=$p wine 'C:\VS\MSDEV.EXE' <"$p/.msdev-in" >/dev/null 2>&1 &
    fakes+=($!)
    exec 9>"$p/.msdev-in"
  else
    # A Wine process of this prefix as /proc shows one: Wine's loader (a copy of sleep under
    # its name) with the prefix's WINEPREFIX and the Windows program in argv[0]. A real one
    # would bring the prefix's wineserver, which stops the run before the check.
    mkdir -p "$work/loader" && cp /bin/sleep "$work/loader/wine64-preloader"
    WINEPREFIX=$p bash -c 'exec -a "C:\\VS\\MSDEV.EXE" "$0" 60' "$work/loader/wine64-preloader" &
    fakes+=($!)
  fi
  local i
  for i in $(seq 100); do  # until its image name shows
    msdev_running && break
    sleep 0.1
  done
  [ "$how" = wine ] && sleep 1  # toolhelp lists it once its process has started inside wine
}
stop_fake_msdev() {  # how prefix
  [ "$1" = wine ] && exec 9>&-
  kill "${fakes[-1]}" 2>/dev/null
  wait "${fakes[-1]}" 2>/dev/null
  unset 'fakes[-1]'
  settle "$2"
}

# --- The cases, for one build ---------------------------------------------------------------
e2e() {  # how
  local how=$1 p out lines
  winexe_run=$exe

  current="$how: full integration, install folder from the registry"
  p=$(clone "$sample" "$how-full")
  run "$how" "$p" --yes
  expect_rc 0
  expect_lines "$p" "$full_lines"
  expect_eq "messages" "$full_messages" "$(cat "$p/.err")"
  expect_grep "options face" "  [x] Integrate the library with Visual C++® 6.0" "$p/.out"
  expect_grep "options face" \
    "  [-] Integrate the library with Visual Studio.NET®  (unavailable)" "$p/.out"
  expect_grep "options face" "  [x] Integrate the library with Visual Studio® 2005" "$p/.out"
  expect_grep "options face" "      [x] Setup TSLSkin+ Wizard (Visual C++® 6.0 only)" "$p/.out"
  expect_grep "library" "Library: $lib" "$p/.out"
  expect_eq "Include Dirs" "$old_include;$lib"'\Tessaline' "$(reg_value "$p" "$dirs_key" 'Include Dirs')"
  expect_eq "Library Dirs" "$old_library;$lib"'\Bin' "$(reg_value "$p" "$dirs_key" 'Library Dirs')"
  printf 'Old Include Directories\r\n\r\n%s\r\n\r\nOld Library Directories\r\n\r\n%s' \
    "${old_include//;/$'\r\n'}" "${old_library//;/$'\r\n'}" >"$work/directories.txt"
  expect_same_file "directories.txt" "$work/directories.txt" "$p/$lib_rel/directories.txt"
  expect_same_file "application wizard copy" "$p/$lib_rel/TSLAppWizard/Release/TSLXAppWizard.awx" \
    "$p/$template_rel/TSLXAppWizard.awx"
  expect_same_file "skin wizard copy" "$p/$lib_rel/TSLSkinWizard/Release/TSLSkinWizard.awx" \
    "$p/$template_rel/TSLSkinWizard.awx"
  expected_colreg "$sample/$colreg_rel" >"$work/hhcolreg.dat"
  expect_same_file "hhcolreg.dat" "$work/hhcolreg.dat" "$p/$colreg_rel"
  expected_col "$sample/$col_rel" >"$work/col"
  expect_same_file "collection file" "$work/col" "$p/$col_rel"
  expect_same_file "hhcolreg.dat backup" "$sample/$colreg_rel" "$p/$lib_rel/Help/hhcolreg.dat"
  expect_same_file "collection file backup" "$sample/$col_rel" "$p/$lib_rel/Help/MSDNVS98.COL"
  check_vsnet "$p"

  current="$how: second run adds nothing twice"
  cp "$p/$colreg_rel" "$work/colreg-1"
  cp "$p/$col_rel" "$work/col-1"
  settle "$p"
  run "$how" "$p" --yes
  expect_rc 0
  expect_lines "$p" "$full_lines"
  expect_eq "messages" "$full_messages" "$(cat "$p/.err")"
  check_vsnet "$p"
  expect_eq "Include Dirs" "$old_include;$lib"'\Tessaline' "$(reg_value "$p" "$dirs_key" 'Include Dirs')"
  expect_eq "entries of ours in hhcolreg.dat" 1 "$(grep -c "DocCompId value=\"$id\"" "$p/$colreg_rel")"
  expect_same_file "collection file" "$work/col-1" "$p/$col_rel"
  expect_same_file "hhcolreg.dat backup" "$work/colreg-1" "$p/$lib_rel/Help/hhcolreg.dat"
  expect_grep "directories.txt" "$lib"'\Tessaline' "$p/$lib_rel/directories.txt"

  current="$how: chosen items, an unavailable IDE asked for"
  p=$(clone "$sample" "$how-chosen")
  local arg="-p:$lib"
  # Natively a Unix path maps to its drive form.
  [ "$how" = native ] && arg="-p:$p/$lib_rel"
  run "$how" "$p" "$arg" --ide vc6,net70 --items directories,skinwizard --yes
  expect_rc 0
  expect_grep "library" "Library: $lib" "$p/.out"
  expect_grep "unavailable option" "Not available, left out: Integrate the library with Visual Studio.NET® (Visual Studio .NET is not installed)" "$p/.out"
  expect_lines "$p" $'✓ Integration with Visual C++ 6.0\n✓     Setup directories
✓     Copy TSLSkinWizard\n✓ Integration completed successfully'
  expect_same_file "hhcolreg.dat untouched" "$sample/$colreg_rel" "$p/$colreg_rel"
  [ ! -e "$p/$template_rel/TSLXAppWizard.awx" ] || fail "application wizard copied unasked"

  current="$how: a failing copy fails the IDE (exit 1)"
  p=$(clone "$sample" "$how-fail")
  rm "$p/$lib_rel/TSLSkinWizard/Release/TSLSkinWizard.awx"
  rm -r "$p/$template_rel"
  run "$how" "$p" --ide vc6 --items directories,appwizard,skinwizard --yes
  expect_rc 1
  expect_grep "skin wizard unavailable" "Not available, left out: Setup TSLSkin+ Wizard (Visual C++® 6.0 only) (it needs" "$p/.out"
  expect_grep "message 15" "tslkt-integrate: Can not copy file from $lib"'\TSLAppWizard\Release\TSLXAppWizard.awx to '"$vs"'\Common\MSDev98\Template\TSLXAppWizard.awx. Integration terminated.' "$p/.err"
  expect_lines "$p" $'✓ Integration with Visual C++ 6.0\n✓     Setup directories
✓     Copy TSLXAppWizard\n✗ Integration failed'
  # Nothing is rolled back: the directories step before the copy stays done.
  expect_grep "directories.txt" "Old Library Directories" "$p/$lib_rel/directories.txt"

  current="$how: running Visual C++ without a terminal is answered Cancel (exit 1)"
  p=$(clone "$sample" "$how-msdev")
  start_fake_msdev "$how" "$p"
  run "$how" "$p" --ide vc6 --yes
  expect_rc 1
  expect_grep "message 11" "tslkt-integrate: Please close Microsoft Visual C++ before processing with Tessaline Installation" "$p/.err"
  expect_grep "Cancel" "no terminal to answer on: Cancel" "$p/.err"
  expect_lines "$p" $'✓ Integration with Visual C++ 6.0\n✓     MSDN Integration
✗ Integration failed'
  stop_fake_msdev "$how" "$p"
  expect_eq "Include Dirs unchanged" "$old_include" "$(reg_value "$p" "$dirs_key" 'Include Dirs')"
  [ ! -e "$p/$lib_rel/directories.txt" ] || fail "directories.txt written"
  expect_same_file "help step done before the check" "$work/hhcolreg.dat" "$p/$colreg_rel"

  current="$how: nothing chosen or not confirmed (exit 2)"
  p=$(clone "$sample" "$how-usage")
  run "$how" "$p" --ide '' --yes
  expect_rc 2
  expect_eq "messages" "tslkt-integrate: You need to select at least one item." "$(cat "$p/.err")"
  expect_lines "$p" ""
  run "$how" "$p" --items '' --yes
  expect_rc 2
  run "$how" "$p"
  expect_rc 2
  expect_grep "no confirmation" "give --yes" "$p/.err"
  run "$how" "$p" --ide vc7 --yes
  expect_rc 2
  expect_grep "unknown IDE" "unknown IDE 'vc7'" "$p/.err"
  [ ! -e "$p/$lib_rel/directories.txt" ] || fail "a refused run changed something"
  if [ "$how" = wine ]; then
    run wine "$p" --prefix "$p" --yes
    expect_rc 2
    expect_grep "--prefix on Windows" "--prefix is for the Linux build" "$p/.err"
  fi
  run "$how" "$p" --help
  expect_rc 0
  expect_grep "help" "Exit status: 0 every chosen IDE completed" "$p/.out"

  current="$how: library not found (exit 3)"
  p=$(clone "$base" "$how-nolib")
  run "$how" "$p" --yes
  expect_rc 3
  expect_eq "messages" "tslkt-integrate: Unable to locate Tessaline installation." "$(cat "$p/.err")"
  run "$how" "$p" -p: --yes
  expect_rc 3

  changes "$how"

  if [ "$how" = native ]; then
    current="native: prefix errors and a library outside drive_c"
    WINEPREFIX=$work/none "$exe" --yes </dev/null >/dev/null 2>"$work/err"
    rc=$?
    expect_rc 2
    expect_grep "missing prefix" "no Wine prefix at $work/none" "$work/err"
    # A Unix name that is not ASCII reaches the registry as Windows-1252 and comes back.
    p=$(clone "$sample" native-outside)
    run native "$p" "-p:$work/Библиотека" --yes
    expect_rc 2
    expect_grep "unspellable folder" "has characters the Windows code page 1252 cannot hold" "$p/.err"
    mkdir -p "$work/außen"
    cp -r "$p/$lib_rel/." "$work/außen/"
    run native "$p" "/P:$work/außen" --ide vc6 --items directories --yes
    expect_rc 0
    out=$(printf '%s' "Z:$work/außen" | tr / '\\')
    expect_grep "library" "Library: $out" "$p/.out"
    expect_grep "directories.txt outside drive_c" "Old Library Directories" "$work/außen/directories.txt"
    expect_eq "Library Dirs" "$old_library;$out"'\Bin' "$(reg_value "$p" "$dirs_key" 'Library Dirs')"

    current="native: a running wineserver stops the run before anything changes"
    p=$(clone "$sample" native-server)
    colreg_before=$(md5sum <"$p/$colreg_rel")
    WINEPREFIX=$p wineserver -p
    run native "$p" --yes
    expect_rc 2
    expect_grep "server message" "wineserver -k" "$p/.err"
    expect_eq "no progress line" "" "$(cat "$p/.lines")"
    expect_eq "hhcolreg.dat untouched" "$colreg_before" "$(md5sum <"$p/$colreg_rel")"
    WINEPREFIX=$p wineserver -k 2>/dev/null

    current="native: questions on a terminal"
    p=$(clone "$sample" native-terminal)
    # script(1) gives the program a terminal and types the answers; its output is the
    # terminal's, both streams together.
    printf 'n\n' | script -qec "WINEPREFIX='$p' '$exe'" /dev/null >"$p/.tty" 2>&1
    rc=$?
    expect_rc 2
    expect_grep "confirmation asked" "Start the integration? [Y/n]" "$p/.tty"
    [ ! -e "$p/$lib_rel/directories.txt" ] || fail "a declined run changed something"
    start_fake_msdev native "$p"
    printf 'o\nc\n' | script -qec "WINEPREFIX='$p' '$exe' --yes --ide vc6 --items directories" /dev/null \
      >"$p/.tty" 2>&1
    rc=$?
    stop_fake_msdev native "$p"
    expect_rc 1
    expect_eq "prompts until Cancel" 2 "$(grep -c '\[O\]K or \[C\]ancel?' "$p/.tty")"
    [ ! -e "$p/$lib_rel/directories.txt" ] || fail "directories changed while Visual C++ ran"
  fi
}

# --- Dry run, journal and undo ----------------------------------------------------------------
journals_rel='drive_c/users/*/AppData/Local/Quorvane/Tessaline/Journals'
# The files of a prefix that differ from the sample's, one by one inside new folders too, as
# Windows paths, sorted; the hives, the journals and the runs' own output files left out.
changed_files() {  # prefix
  diff -rqN -x '.*' -x '*.reg' -x dosdevices -x wineserver "$sample" "$1" 2>/dev/null | sed -E \
    -e "s|^Files $sample/(.*) and .* differ$|\1|" -e "s|^Only in $1/?([^:]*): (.*)$|\1/\2|" \
    | sed -e 's|^/||' -e 's|^drive_c/|C:/|' | grep -v '^C:/users/[^/]*/AppData/Local/Quorvane' \
    | tr / '\\' | sort
}
# The files a dry run's list names, as Windows paths, sorted.
listed_files() {  # output
  sed -n '/^Changes it would make/,$p' "$1" | sed -nE \
    -e 's/^copy .* -> (.*) \((new file|replaces).*$/\1/p' -e 's/^--- (.*)$/\1/p' \
    -e 's/^(.*): (new file|binary file|deleted|made writable).*$/\1/p' | sort -u
}
dirs_query() { WINEPREFIX=$1 wine reg query "$dirs_key" 2>/dev/null | tr -d '\r'; }
# Every file of the prefix but the journals, with its content and mode, and every folder but
# the journals' own.
tree_state() {  # prefix
  (cd "$1" && find drive_c -path "*/Quorvane/Tessaline/Journals" -prune -o -type f -print0 \
     | sort -z | xargs -0 stat -c '%a %n' ; find drive_c -path '*/Journals' -prune -o -type f \
     -exec md5sum {} + | sort -k2 ; find drive_c -path '*/AppData/Local/Quorvane' -prune -o \
     -type d -print | sort)
}

changes() {  # how
  local how=$1 dry real journal

  current="$how: a dry run changes nothing and lists what the real run changes"
  dry=$(clone "$sample" "$how-dry")
  real=$(clone "$sample" "$how-real")
  run "$how" "$dry" --yes --dry-run
  expect_rc 0
  expect_lines "$dry" "$full_lines"
  cp "$dry/.out" "$work/$how-dry.out"
  expect_eq "files of the dry run's prefix" "" "$(changed_files "$dry")"
  # Wine itself touches the hives while its server runs: only the native build leaves them
  # byte for byte; the values are compared for both.
  if [ "$how" = native ]; then
    expect_same_file "user.reg after a dry run" "$sample/user.reg" "$dry/user.reg"
    expect_same_file "system.reg after a dry run" "$sample/system.reg" "$dry/system.reg"
  fi
  expect_eq "Directories key after a dry run" "$(dirs_query "$sample")" "$(dirs_query "$dry")"
  expect_eq "no journal of a dry run" "" "$(ls "$dry"/$journals_rel 2>/dev/null)"
  run "$how" "$real" --yes
  expect_rc 0
  expect_lines "$real" "$full_lines"
  expect_eq "files listed = files changed" "$(changed_files "$real")" "$(listed_files "$work/$how-dry.out")"
  expect_grep "new Include Dirs listed" "  new: \"$(reg_value "$real" "$dirs_key" 'Include Dirs')\"" "$work/$how-dry.out"
  expect_grep "new Library Dirs listed" "  new: \"$(reg_value "$real" "$dirs_key" 'Library Dirs')\"" "$work/$how-dry.out"
  expect_eq "registry values listed" 2 "$(grep -c '^  new: ' "$work/$how-dry.out")"
  expect_grep "journal named" "Journal: C:\\users\\" "$real/.out"

  current="$how: undo puts the sample machine back"
  settle "$real"
  run "$how" "$real" --undo
  expect_rc 0
  expect_eq "files after undo" "" "$(changed_files "$real")"
  expect_eq "Directories key after undo" "$(dirs_query "$sample")" "$(dirs_query "$real")"
  expect_eq "files and modes after undo" "$(tree_state "$sample")" "$(tree_state "$real")"

  current="$how: undo skips a value changed by hand and restores the rest"
  real=$(clone "$sample" "$how-edited")
  run "$how" "$real" --yes
  WINEPREFIX=$real wine reg add "$dirs_key" /v 'Library Dirs' /d 'C:\Mine' /f >/dev/null 2>&1
  settle "$real"
  run "$how" "$real" --undo --dry-run
  expect_rc 1
  expect_grep "dry undo names the item" "✗ skipped: HKEY_CURRENT_USER\\" "$real/.out"
  expect_eq "dry undo writes nothing" "C:\\Mine" "$(reg_value "$real" "$dirs_key" 'Library Dirs')"
  settle "$real"
  run "$how" "$real" --undo
  expect_rc 1
  expect_grep "skipped and named" "✗ skipped: HKEY_CURRENT_USER\\Software\\Microsoft\\DevStudio\\6.0\\Build System\\Components\\Platforms\\Win32 (x86)\\Directories  \"Library Dirs\": changed since the run (now \"C:\\Mine\")" "$real/.out"
  expect_eq "Library Dirs kept" "C:\\Mine" "$(reg_value "$real" "$dirs_key" 'Library Dirs')"
  expect_eq "Include Dirs restored" "$old_include" "$(reg_value "$real" "$dirs_key" 'Include Dirs')"
  expect_eq "files restored" "" "$(changed_files "$real")"

  current="$how: a damaged or foreign journal is refused and nothing changes"
  real=$(clone "$sample" "$how-damaged")
  run "$how" "$real" --yes
  journal=$(ls "$real"/$journals_rel/*.jnl)
  settle "$real"
  tree_state "$real" >"$work/before"
  dirs_query "$real" >"$work/dirs"
  settle "$real"
  # A journal cut short is what a killed run leaves, and is taken back; an altered one is not.
  printf 'X' | dd of="$journal" bs=1 seek=40 conv=notrunc status=none
  run "$how" "$real" --undo
  expect_rc 2
  expect_grep "damaged" "it is damaged (cut short or altered); nothing was changed" "$real/.err"
  printf 'Old Include Directories\r\n' >"$real/drive_c/foreign.jnl"
  run "$how" "$real" --undo 'C:\foreign.jnl'
  expect_rc 2
  expect_grep "foreign" "cannot undo from C:\\foreign.jnl: it is not a journal of tslkt-integrate; nothing was changed" "$real/.err"
  rm "$real/drive_c/foreign.jnl"
  expect_eq "nothing changed" "$(cat "$work/before")" "$(tree_state "$real")"
  expect_eq "Directories key untouched" "$(cat "$work/dirs")" "$(dirs_query "$real")"
}

# The two builds on twin prefixes give the same lines, messages, registry lists and files.
compare() {
  current="native and Windows builds agree"
  local n w
  n=$(clone "$sample" cmp-native)
  w=$(clone "$sample" cmp-windows)
  winexe_run=$winexe
  run native "$n" --yes
  run wine "$w" --yes
  # The journal's name carries the time of its run.
  grep -v -e '^Wine prefix: ' -e '^Journal: ' "$n/.out" >"$work/native.out"
  grep -v '^Journal: ' "$w/.out" >"$work/windows.out"
  expect_same_file "standard output" "$work/native.out" "$work/windows.out"
  expect_same_file "standard error" "$n/.err" "$w/.err"
  for p in "$n" "$w"; do
    WINEPREFIX=$p wine reg query "$dirs_key" 2>/dev/null | tr -d '\r' >"$p/.dirs"
    (cd "$p/drive_c" && find "Program Files (x86)" windows/Help -type f \
       -exec md5sum {} + | sort -k2) >"$p/.files"
  done
  expect_same_file "Directories key" "$n/.dirs" "$w/.dirs"
  expect_same_file "files written" "$n/.files" "$w/.files"
  expect_same_file "VCComponents.dat" "$n/$vcc_rel" "$w/$vcc_rel"
  [ -s "$n/.files" ] || fail "no files written"
}

# The Help 2 step of the Windows build under wine, against tests/integrate/help2_server: the
# server logs every call with its arguments, and fails the one TSL_HELP2_FAIL names.
help2_ring() {
  local p dll=$winexe log=$work/help2.log
  local clsid='HKCR\CLSID\{31411219-A502-11D2-BBCA-00C04F8EC294}'
  winexe_run=$exe
  p=$(clone "$sample" ring)
  # The server is registered in the registry view of its own bitness, as its installer would.
  WINEPREFIX=$p wine reg add "$clsid\InprocServer32" /ve /d "Z:${dll//\//\\}" /f "/reg:$bits" >/dev/null
  WINEPREFIX=$p wine reg add "$clsid\InprocServer32" /v ThreadingModel /d Apartment /f \
    "/reg:$bits" >/dev/null
  export TSL_HELP2_LOG="Z:${log//\//\\}"
  local first
  first=$(printf '%s\n' 'create session' 'CreateTransaction("")' 'GetRegistrationObject(0)' \
    'RegisterNamespace("Quorvane.TessalineSE", "'"$lib"'\Help\col_tslktse.hxc", "Tessaline Library Standard Edition")' \
    'RegisterHelpFile("Quorvane.TessalineSE", "Quorvane.TessalineSE", 1033, "'"$lib"'\Help\Quorvane.TessalineSE.hxs")' \
    'CommitTransaction()' 'CreateTransaction("")' 'GetRegistrationObject(2)')
  plug_in() { printf 'RegisterHelpPlugIn("%s", "_DEFAULT", "Quorvane.TessalineSE", "_DEFAULT", "", 0)' "$1"; }
  local released=$'release plugin\nrelease register\nrelease session'

  current="help2 ($bits-bit): 7.1 and 8.0 registered, in order"
  : >"$log"
  run wine "$p" --ide net71,vs2005 --items help --yes
  expect_rc 0
  expect_eq "messages" "" "$(cat "$p/.err")"
  expect_lines "$p" $'✓ Integration with VS.NET 2003\n✓     Integration with VS.NET 2003 Help
✓ Integration completed successfully\n✓ Integration with VS 2005\n✓     Integration with VS 2005 Help
✓ Integration completed successfully'
  expect_eq "server log" "$first"$'\n'"$(plug_in MS.VSCC.2003)"$'\nCommitTransaction()\n'"$released
$first"$'\n'"$(plug_in MS.VSCC.v80)"$'\nCommitTransaction()\n'"$released" "$(tr -d '\r' <"$log")"

  current="help2 ($bits-bit): a rejected plug-in leaves the first transaction committed"
  : >"$log"
  export TSL_HELP2_FAIL='RegisterHelpPlugIn:0x80070005:Access is denied by the test server.'
  run wine "$p" --ide net71 --items help --yes
  unset TSL_HELP2_FAIL
  expect_rc 0
  expect_eq "messages" "tslkt-integrate: Unable to integrate help with VS.NET 2003. Error: 80070005, Access is denied by the test server." "$(cat "$p/.err")"
  expect_eq "server log" "$first"$'\n'"$(plug_in MS.VSCC.2003)"$'\n'"$released" "$(tr -d '\r' <"$log")"

  current="help2 ($bits-bit): a removal takes the plug-in out, then the help file and the namespace"
  : >"$log"
  run wine "$p" --remove --ide net71 --items help --yes
  expect_rc 0
  expect_eq "messages" "" "$(cat "$p/.err")"
  expect_lines "$p" $'✓ Removal from VS.NET 2003\n✓     Remove Tessaline Help from VS.NET 2003
✓ Removal completed successfully'
  expect_eq "server log" "$(printf '%s\n' 'create session' 'CreateTransaction("")' \
    'GetRegistrationObject(2)' \
    'RemoveHelpPlugIn("MS.VSCC.2003", "_DEFAULT", "Quorvane.TessalineSE", "_DEFAULT", "")' \
    'CommitTransaction()' 'CreateTransaction("")' 'GetRegistrationObject(0)' \
    'RemoveHelpFile("Quorvane.TessalineSE", "Quorvane.TessalineSE", 1033)' \
    'RemoveNamespace("Quorvane.TessalineSE")' 'CommitTransaction()')"$'\n'"$released" \
    "$(tr -d '\r' <"$log")"

  current="help2 ($bits-bit): the server not registered"
  : >"$log"
  WINEPREFIX=$p wine reg delete "$clsid" /f "/reg:$bits" >/dev/null
  run wine "$p" --ide vs2005 --items help --yes
  expect_rc 0
  expect_eq "messages" "tslkt-integrate: Unable to integrate help with VS 2005. Error: 80040154, (null)" "$(cat "$p/.err")"
  expect_eq "server log" "" "$(cat "$log")"
}

start=$(date +%s)
case $mode in
  native) e2e native ;;
  wine) winexe=$exe; e2e wine ;;
  compare) compare ;;
  help2) help2_ring ;;
esac
echo "console e2e ($mode): $failures failure(s), $(( $(date +%s) - start )) s"
[ "$failures" -eq 0 ]
