#!/usr/bin/env bash
# Hostile input for both tools, one case per line: damaged and odd registry and help files,
# missing and odd folders, paths Windows-1252 cannot spell or Windows cannot hold, project
# names and texts of every awkward kind. Each case names its exit status and a piece of the
# message, and checks afterwards that no file it did not allow to change was changed or lost.
#
# Usage: tests/hostile_test.sh INTEGRATE_EXE SKINWIZARD_EXE
# TSL_TEST_PREFIX names a prefix made by scripts/make-prefix.sh; it is only read.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
integrate=${1:?usage: hostile_test.sh INTEGRATE_EXE SKINWIZARD_EXE}
skinwizard=${2:?usage: hostile_test.sh INTEGRATE_EXE SKINWIZARD_EXE}
unset DISPLAY
test_prefix
scratch hostile
mounts=()
tidy() {
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  chmod -R u+w "$work" 2>/dev/null
}

lib_rel='drive_c/Program Files (x86)/Quorvane/Tessaline'
template_rel='drive_c/Program Files (x86)/Microsoft Visual Studio/Common/MSDev98/Template'
col_rel='drive_c/Program Files (x86)/Microsoft Visual Studio/MSDN98/98VS/1033/MSDNVS98.COL'
colreg_rel='drive_c/windows/Help/hhcolreg.dat'
# What the integration may write; every case checks these.
watched=(system.reg user.reg "$colreg_rel" "$col_rel" "$lib_rel" "$template_rel")

# The sample machine every integration case starts from, and a copy of it per case: links
# for the thousands of files nobody writes, real copies of every watched file.
sample=$(sample_machine sample) || exit 1
edited=("${watched[@]}")
# Checksums of what a case watches, names included, so a lost file shows as well.
sums() {  # folder paths...
  local dir=$1
  shift
  [ -d "$dir" ] || { md5sum "$dir"; return; }
  # Regular files only: reading a FIFO put in a hive's place would wait for ever.
  (cd "$dir" && find "$@" -type f -print0 2>/dev/null | sort -z | xargs -0 -r md5sum 2>/dev/null;
   cd "$dir" && find "$@" 2>/dev/null | sort)
}

cases=0 skipped=0 preload=

# One case. Its line: tool, expected status, a piece of the message (fixed text, "" for
# none), what may change ("-" nothing, "." anything, else a space-separated list of watched
# paths), the setup function ("-" none), then the arguments after the tool's own.
#   tool "integrate": runs on a fresh copy of the sample machine, as `--prefix P --yes ARGS`
#   tool "skin": creates a project in an empty folder L, `--prefix SAMPLE --location L ARGS`
# In setups and arguments $P is the case's prefix, $L the project folder, @P and @L stand for
# them in arguments.
hostile() {
  local tool=$1 want=$2 message=$3 may=$4 setup=$5
  shift 5
  cases=$((cases + 1))
  current="$tool $cases: $setup $*"
  P=$work/case$cases L=$work/case$cases-location
  if [ "$tool" = integrate ]; then P=$(clone "$sample" "case$cases"); else P=$sample; fi
  mkdir -p "$L"
  local args=() a
  for a in "$@"; do a=${a//@P/$P}; args+=("${a//@L/$L}"); done
  if [ "$setup" != - ]; then
    "$setup" || { skipped=$((skipped + 1)); cases=$((cases - 1)); echo "skipped [$current]"; return; }
  fi
  local watch_dir=$P what=("${watched[@]}") keep=() w
  [ "$tool" = skin ] && watch_dir=$L what=(.)
  for w in "${what[@]}"; do [[ " $may " == *" $w "* || $may == . ]] || keep+=("$w"); done
  local before=
  [ ${#keep[@]} -eq 0 ] || before=$(sums "$watch_dir" "${keep[@]}")
  if [ "$tool" = integrate ]; then
    env ${preload:+LD_PRELOAD="$preload"} "$integrate" --prefix "$P" --yes "${args[@]}" \
      </dev/null >"$work/out" 2>"$work/err"
  else
    "$skinwizard" --prefix "$sample" --location "$L" "${args[@]}" </dev/null >"$work/out" 2>"$work/err"
  fi
  local rc=$?
  [ "$rc" = "$want" ] || fail "exit status $rc, expected $want; stderr: $(head -c 600 "$work/err")"
  if [ -n "$message" ] && ! grep -qF -- "$message" "$work/err" "$work/out"; then
    fail "no '$message' in the output: $(head -c 600 "$work/err")"
  fi
  if [ ${#keep[@]} -gt 0 ]; then
    local after
    after=$(sums "$watch_dir" "${keep[@]}")
    [ "$before" == "$after" ] || fail "files changed or lost:
$(diff <(echo "$before") <(echo "$after") | head -n 10)"
  fi
  # A setup may bring its own check of the result: the function of its name with "_after".
  if [ "$setup" != - ] && declare -F "${setup}_after" >/dev/null; then
    "${setup}_after" || fail "${setup}_after found the result wrong"
  fi
  for w in "${mounts[@]}"; do umount "$w"; done
  mounts=()
  preload=
  # A case's server (one a setup started stays until it is told to go) ends with its prefix.
  [ "$tool" = integrate ] && [ -d "$P" ] &&
    { WINEPREFIX=$P wineserver -k 2>/dev/null; chmod -R u+w "$P" 2>/dev/null; rm -rf "$P"; }
}

# --- Setups ------------------------------------------------------------------------------------
replace() { local t; t=$(mktemp "$1.XXXX") && cat >"$t" && mv "$t" "$1"; }  # file < content
# Turns the copy of a file into the result of a command on it, never writing through a link.
edit() {  # file command...
  local f=$1
  shift
  "$@" <"$f" | replace "$f"
}
# The directory lists' key twice in user.reg, the later block overriding "Include Dirs": Wine
# merges the blocks, so the integration must extend the list Wine reads and keep the rest.
dirs_key='Software\\Microsoft\\DevStudio\\6.0\\Build System\\Components\\Platforms\\Win32 (x86)\\Directories'
duplicate_dirs_key() { printf '\n[%s] 1700000000\n"Include Dirs"="C:\\\\Later"\n' "$dirs_key" >>"$P/user.reg"; }
duplicate_dirs_key_after() {
  local blocks out
  blocks=$(grep -c '^\[.*Win32 (x86)\\\\Directories\]' "$P/user.reg")
  out=$(WINEPREFIX=$P wine reg query "HKCU\\${dirs_key//\\\\/\\}" 2>&1 | tr -d '\r')
  WINEPREFIX=$P wineserver -k 2>/dev/null
  [ "$blocks" -eq 1 ] && grep -q 'Include Dirs    REG_SZ    C:\\Later;.*Tessaline\\Tessaline' <<<"$out" &&
    grep -q 'Library Dirs    REG_SZ    .*VC98.*Tessaline\\Bin' <<<"$out" ||
    { echo "$blocks blocks of the key; Wine reads:"; echo "$out" | head -n 8; false; }
}
read_only_help() { chmod 444 "$P/$colreg_rel" "$P/$col_rel"; }
# The second run on read-only help files: the first one's backups must not block it.
read_only_help_twice() { read_only_help && "$integrate" --prefix "$P" --yes </dev/null >/dev/null 2>&1; }
no_folders_end() { edit "$P/$col_rel" sed 's#</Folders>#</Folderz>#'; }
no_entries_end() { edit "$P/$colreg_rel" sed 's#</DocCompilations>#</DocCompilationz>#'; }
no_langid() { edit "$P/$col_rel" sed '/masterlangid/d'; }
no_collection() { rm "$P/$col_rel"; }
no_colreg() { rm "$P/$colreg_rel"; }
nul_in_colreg() { edit "$P/$colreg_rel" sed '3s/$/\x00/'; }
no_install_dir() { WINEPREFIX=$P wine reg delete 'HKLM\Software\Quorvane\Tessaline' /v InstallDir /f /reg:32 >/dev/null 2>&1; WINEPREFIX=$P wineserver -k; WINEPREFIX=$P wineserver -w; }
no_help_files() { rm "$P/$lib_rel/Help/TSLHelp.chm"; }
read_only_dirs_txt() { printf 'mine\r\n' >"$P/$lib_rel/directories.txt" && chmod 444 "$P/$lib_rel/directories.txt"; }
c_drive_loop() { rm "$P/dosdevices/c:" && ln -s "c:" "$P/dosdevices/c:"; }
c_drive_nowhere() { rm "$P/dosdevices/c:" && ln -s "../no_drive" "$P/dosdevices/c:"; }
server_running() { WINEPREFIX=$P wineserver -p 2>/dev/null; sleep 1; }
server_on_sample() { WINEPREFIX=$sample wineserver -p 2>/dev/null; sleep 1; }
not_a_prefix() { mkdir -p "$work/empty"; }
earlier_project() { mkdir -p "$L/MySkins" && printf 'mine\r\n' >"$L/MySkins/ReadMe.txt"; }
file_as_location() { rmdir "$L" && printf 'x' >"$L"; }
# Moves a folder's content onto a small tmpfs and fills it: a full disk. Needs root.
full_disk() {  # folder
  [ "$(id -u)" -eq 0 ] || return 1
  local keep=$work/keep-$cases
  mv "$1" "$keep" && mkdir "$1" && mount -t tmpfs -o size=512k tmpfs "$1" || return 1
  mounts+=("$1")
  cp -a "$keep"/. "$1"/ && { dd if=/dev/zero of="$1/.filler" bs=4k 2>/dev/null; true; }
}
full_lib_disk() { full_disk "$P/$lib_rel"; }
full_location_disk() { full_disk "$L"; }
only_as_user() { [ "$(id -u)" -ne 0 ]; }  # root writes into read-only folders anyway
read_only_location() { only_as_user && chmod 555 "$L"; }
read_only_lib() { only_as_user && chmod 555 "$P/$lib_rel/Help"; }

# Copies that cannot run away, the running-IDE check of this prefix only, read-only library
# files: the .NET 2003 wizard step on the library's wizard folder.
vs71_rel='drive_c/Program Files (x86)/Microsoft Visual Studio .NET 2003'
net_wizard=$lib_rel/TSLAppWizard7/TSLAppWizard
link_up_in_wizard() { ln -s .. "$P/$net_wizard/Scripts/up"; }
link_here_in_wizard() { ln -s . "$P/$net_wizard/Images/loop"; }
dangling_in_wizard() { ln -s nowhere.htm "$P/$net_wizard/HTML/1033/gone.htm"; }
fifo_in_wizard() { mkfifo "$P/$net_wizard/Templates/1033/pipe"; }
unreadable_in_wizard() { only_as_user && chmod 000 "$P/$net_wizard/HTML/1033/default.htm"; }
# The refused copy leaves nothing in the IDE.
nothing_in_net_ide() { [ ! -e "$P/$vs71_rel/Vc7/VCWizards/TSLAppWizard" ]; }
link_up_in_wizard_after() { nothing_in_net_ide; }
link_here_in_wizard_after() { nothing_in_net_ide; }
dangling_in_wizard_after() { nothing_in_net_ide; }
fifo_in_wizard_after() { nothing_in_net_ide; }
unreadable_in_wizard_after() { nothing_in_net_ide; }
# A library installed from read-only media: the 2003 script and launch file still land.
read_only_net_wizard() { chmod -R a-w "$P/$lib_rel/TSLAppWizard7"; }
read_only_net_wizard_after() {
  cmp "$P/$net_wizard/Scripts/1033/default-2003.js" \
      "$P/$vs71_rel/Vc7/VCWizards/TSLAppWizard/Scripts/1033/default.js" &&
    cmp "$P/$lib_rel/TSLAppWizard7/vcprojects/TSLAppWizard-2003.vsz" \
        "$P/$vs71_rel/Vc7/vcprojects/TSLAppWizard.vsz"
}
# Visual C++ running in another prefix, and a Linux program of its name started with this
# prefix's WINEPREFIX: neither is this prefix's IDE. TSL_MSDEV_STANDIN is the Windows stand-in.
standins=()
ide_elsewhere() {
  [ -n "${TSL_MSDEV_STANDIN:-}" ] || return 1
  mkdir -p "$work/linux" && cp /bin/sleep "$work/linux/MSDEV.EXE" || return 1
  WINEPREFIX=$P "$work/linux/MSDEV.EXE" 120 &
  standins+=($!)
  clone "$base" other >/dev/null || return 1
  WINEPREFIX=$work/other wine "$TSL_MSDEV_STANDIN" 120 </dev/null >/dev/null 2>&1 &
  standins+=($!)
  local i
  for i in $(seq 300); do
    [ "$(grep -las 'MSDEV.EXE' /proc/[0-9]*/cmdline | wc -l)" -ge 2 ] && return 0
    sleep 0.1
  done
  echo "the stand-ins did not start"
  return 1
}
ide_elsewhere_after() {
  kill "${standins[@]}" 2>/dev/null
  WINEPREFIX=$work/other wineserver -k 2>/dev/null
  wait "${standins[@]}" 2>/dev/null
  standins=()
  rm -rf "$work/other" "$work/linux"
  true
}

# --- Registry hives ---
# $hive names the hive a case damages. Each damage also leaves a backup of the lists from an
# earlier run, which only a run that read the lists may replace.
hive=user.reg
damage() { printf 'mine\r\n' >"$P/$lib_rel/directories.txt" && "$@"; }
unknown_line() { damage edit "$P/$hive" sed '12a garbage line'; }
bad_hex() { damage printf '\n[Software\\\\Tsl] 1\n"v"=hex:0g\n' >>"$P/$hive"; }
nul_in_hive() { damage edit "$P/$hive" sed '20s/^/\x00\x00/'; }
bad_escape() { damage printf '\n[Software\\\\Tsl] 1\n"v"="a\\qb\n' >>"$P/$hive"; }
giant_line() {
  damage awk 'BEGIN { printf "\n[Software\\\\Tsl] 1\n\"v\"=\""; for (i = 0; i < 200000; i++)
    printf "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"; printf "\"\n" }' >>"$P/$hive"
}
truncated() { damage edit "$P/$hive" head -c 5000; }
wrong_header() { damage edit "$P/$hive" sed '1s/.*/WINE REGISTRY Version 9/'; }
empty_hive() { damage truncate -s 0 "$P/$hive"; }
folder_hive() { damage rm "$P/$hive" && mkdir "$P/$hive"; }
dangling_hive() { damage rm "$P/$hive" && ln -s "$P/nowhere.reg" "$P/$hive"; }
fifo_hive() { damage rm "$P/$hive" && mkfifo "$P/$hive"; }
unreadable_hive() { only_as_user && damage chmod 000 "$P/$hive"; }
# Both Visual C++ 6.0 lists hold the library's folders, as Wine reads user.reg.
lists_merged() {
  local out
  out=$(WINEPREFIX=$P wine reg query "HKCU\\${dirs_key//\\\\/\\}" 2>&1 | tr -d '\r')
  WINEPREFIX=$P wineserver -k 2>/dev/null
  grep -q 'Include Dirs    REG_SZ    .*Tessaline\\Tessaline' <<<"$out" &&
    grep -q 'Library Dirs    REG_SZ    .*Tessaline\\Bin' <<<"$out" || { echo "$out" | head -n 8; false; }
}
# A damage Wine reads past stays in the hive as it was, and the lists are merged.
unknown_line_after() { grep -qx 'garbage line' "$P/$hive" && lists_merged; }
bad_hex_after() { grep -qx '"v"=hex:0g' "$P/$hive" && lists_merged; }
nul_in_hive_after() { [ "$(tr -dc '\000' <"$P/$hive" | wc -c)" -eq 2 ] && lists_merged; }
bad_escape_after() { grep -qxF '"v"="a\qb' "$P/$hive" && lists_merged; }
giant_line_after() { [ "$(tail -n 1 "$P/$hive" | wc -c)" -gt 10000000 ] && lists_merged; }
truncated_after() { [ "$(cat "$P/$lib_rel/directories.txt")" = $'mine\r' ]; }
# A library folder that cannot hold the backup: the lists are merged all the same.
read_only_dirs_txt_after() { [ "$(cat "$P/$lib_rel/directories.txt")" = $'mine\r' ] && lists_merged; }
# The save of user.reg reports success and leaves the old file: the read-back from disk fails.
drop_user_reg_rename() {
  cc -shared -fPIC -o "$work/drop-rename.so" -x c - -ldl <<'EOF' || return 1
#define _GNU_SOURCE
#include <dlfcn.h>
#include <string.h>
#include <unistd.h>
int rename(const char *from, const char *to) {
  size_t n = strlen(to);
  if (n >= 9 && strcmp(to + n - 9, "/user.reg") == 0) return unlink(from);
  return ((int (*)(const char *, const char *))dlsym(RTLD_NEXT, "rename"))(from, to);
}
EOF
  preload=$work/drop-rename.so
}
# The IDE whose writes did not all land is reported failed, never completed.
drop_user_reg_rename_after() {
  grep -qF "Integration failed" "$work/out" "$work/err" &&
    ! grep -qF "completed successfully" "$work/out" "$work/err"
}

long=$(printf 'w%.0s' $(seq 240))
name250=$(printf 'n%.0s' $(seq 250))

# --- The integration -----------------------------------------------------------------------------
hostile integrate 2 "unknown option --frob" - - --frob
hostile integrate 2 "unknown IDE 'vc7'" - - --ide vc7
hostile integrate 2 "unknown item 'docs'" - - --items docs
hostile integrate 2 "You need to select at least one item." - - --ide ''
hostile integrate 2 "cannot hold ';'" - - '-p:C:\Tess;aline'
hostile integrate 2 "cannot hold ';'" - - '-p:C:\Tess"aline'
hostile integrate 2 "cannot hold ';'" - - "-p:C:\\Tess"$'\n'"aline"
hostile integrate 2 "cannot hold ';'" - - "-p:C:\\Tess"$'\t'"aline"
hostile integrate 2 "code page 1252 cannot hold" - - '-p:C:\Tessaline中'
hostile integrate 2 "no Wine prefix" - - --prefix "$work/no-prefix"
hostile integrate 3 "Unable to locate Tessaline installation." - no_install_dir
hostile integrate 1 "" - read_only_lib
hostile integrate 0 "" "user.reg $lib_rel $template_rel" read_only_help
hostile integrate 0 "" . duplicate_dirs_key
hostile integrate 0 "" "user.reg $lib_rel $template_rel" read_only_help_twice
hostile integrate 0 "" "user.reg $lib_rel $template_rel $col_rel" no_entries_end
hostile integrate 0 "" "user.reg $lib_rel $template_rel $colreg_rel" no_folders_end
hostile integrate 1 "can not find 'masterlangid' and 'collectionnum'" - no_langid
hostile integrate 1 "unable to find MSDN location" - no_collection
hostile integrate 1 "file not found: hhcolreg.dat" - no_colreg
hostile integrate 0 "" "user.reg $lib_rel $template_rel $colreg_rel $col_rel" nul_in_colreg
hostile integrate 1 "" - c_drive_loop
hostile integrate 1 "" - c_drive_nowhere
hostile integrate 1 "" - full_lib_disk
hostile integrate 2 "wineserver -k" - server_running
hostile integrate 0 "" "user.reg $lib_rel $template_rel" no_help_files --items directories,appwizard,skinwizard
for setup in link_up_in_wizard link_here_in_wizard dangling_in_wizard unreadable_in_wizard; do
  hostile integrate 1 "Can not copy file from" - "$setup" --ide net71
done
# "." only because the checksums of the watched files would read the pipe and wait for ever.
hostile integrate 1 "Can not copy file from" . fifo_in_wizard --ide net71
hostile integrate 0 "" - read_only_net_wizard --ide net71
hostile integrate 0 "Integration completed successfully" . ide_elsewhere --ide vc6

# Registry hives. Wine loads what it understands of a hive; one it would not load
# at all stops the run with its reason before anything is written.
hostile integrate 0 "" . read_only_dirs_txt
hostile integrate 1 "does not hold the new value" "$lib_rel" drop_user_reg_rename --ide vc6 --items directories
for hive in user.reg system.reg; do
  for damage in unknown_line bad_hex nul_in_hive bad_escape giant_line; do
    hostile integrate 0 "" . "$damage"
  done
  hostile integrate 1 "not a Wine registry file" - wrong_header
  hostile integrate 1 "the file is empty" - empty_hive
  hostile integrate 1 "it is a folder, not a file" - folder_hive
  hostile integrate 1 "it is a link to a file that does not exist" - dangling_hive
  hostile integrate 1 "it is not a regular file" - fifo_hive
  hostile integrate 1 "Permission denied" - unreadable_hive
done
# Cut short, a hive loses keys, for Wine too: no library, or no shell folders and so no place
# for the journal: the run stops before it changes anything (the earlier backup stays).
hive=system.reg
hostile integrate 3 "Unable to locate Tessaline installation." - truncated
hive=user.reg
hostile integrate 1 "the journal of this run cannot be started" \
  "$colreg_rel $col_rel $lib_rel user.reg $template_rel" truncated

# --- The skin wizard ---------------------------------------------------------------------------
hostile skin 2 "no project name given" - - --yes
hostile skin 2 "more than one project name" - - A B --yes
hostile skin 2 "unknown option '--frob'" - - P --frob
hostile skin 2 "invalid value 'vista' for --look" - - P --look vista
hostile skin 2 "invalid value 'maybe' for --comments" - - P --comments maybe
hostile skin 2 "unknown method 'OnPaintAll'" - - P --methods OnPaintAll
hostile skin 2 "--author needs a value" - - P --author
for device in CON nul.txt Com1 LPT9.h 'AUX .x' PRN; do
  hostile skin 2 "is a name Windows keeps for a device" - - "$device" --skin-name Aqua --yes
done
for odd in 'a\b' a/b 'dot.' 'blank ' '' 'q"uote' '..' 'My:Skins' 'star*'; do
  hostile skin 2 "cannot be a project name" - - "$odd" --skin-name Aqua --yes
done
hostile skin 2 "control characters" - - $'tab\there' --skin-name Aqua --yes
hostile skin 2 "which Windows-1252 cannot spell" - - 'Skins中' --skin-name Aqua --yes
hostile skin 2 "which Windows-1252 cannot spell" - - P --location '/tmp/中' --skin-name Aqua --yes
hostile skin 2 "refuses in a folder name" - - P --location "@L/??" --skin-name Aqua --yes
hostile skin 2 "refuses in a folder name" - - P --location "@L/*" --skin-name Aqua --yes
hostile skin 2 "refuses in a folder name" - - P --location "@L/a"$'\n'"b" --skin-name Aqua --yes
hostile skin 1 "characters Windows allows here" - - P --location "@L/$long" --skin-name Aqua --yes
hostile skin 1 "characters Windows allows here" - - "$name250" --skin-name Aqua --yes
hostile skin 2 "The skin name must include at least one alphabetic character" - - P --skin-name '!!' --yes
hostile skin 2 "The skin name must include at least one alphabetic character" - - P --skin-name '' --yes
hostile skin 73 "--force" - earlier_project MySkins --skin-name Aqua --yes
hostile skin 1 "" - file_as_location P --skin-name Aqua --yes
hostile skin 1 "" - read_only_location P --skin-name Aqua --yes
hostile skin 1 "is not a folder" - - P --prefix "$work/no-prefix" --skin-name Aqua --yes
hostile skin 1 "" - not_a_prefix P --prefix "$work/empty" --skin-name Aqua --yes
hostile skin 0 "" . - 'Café & Co' --skin-name 'Élan' --author $'Line\r\nBreak "q" \\' --yes
# --- The skin wizard: answers files, device names, texts Windows-1252 cannot spell ------------
# An answers file lies beside the case's folder, so the folder itself shows what a run wrote;
# each setup removes the one before (a FIFO there would hold its writer).
answers=$work/answers.txt
fifo_answers() { rm -f "$answers" && mkfifo "$answers"; }
big_answers() { rm -f "$answers" && head -c 70000 /dev/zero | tr '\0' '#' >"$answers"; }
bom_cr_answers() { rm -f "$answers" && printf '\xEF\xBB\xBFskin-name=Aqua\rauthor=Ann\r\ncompany=Co\r' >"$answers"; }
bom_cr_answers_after() { grep -qF '"Ann, Co"' "$L/P/P.cpp"; }
long_bad_line() { rm -f "$answers" && { echo skin-name=Aqua; printf '\x1B[2J%0200d\n' 0; } >"$answers"; }
long_bad_line_after() { ! grep -q '0\{57\}' "$work/err"; }
# The answers of a text with a line break, replayed: still the skin Aqua, no answer "Evil".
saved_line_break() {
  rm -f "$answers" && mkdir -p "$work/saved-$cases" &&
    "$skinwizard" --prefix "$sample" --location "$work/saved-$cases" --yes P --skin-name Aqua \
      --author $'Ann\nskin-name=Evil' --save-answers "$answers" >/dev/null 2>&1
}
saved_line_break_after() {
  [ -f "$L/P/SkinAqua.h" ] && [ ! -e "$L/P/SkinEvil.h" ] &&
    grep -qF 'Ann\012skin-name=Evil' "$L/P/P.cpp"
}
# A link at the old fixed temporary name, and the user's own file of that name, stay as they are.
tmp_link() { rm -f "$answers" && printf 'victim\n' >"$work/victim" && ln -sf "$work/victim" "$answers.tmp"; }
tmp_link_after() {
  [ "$(cat "$work/victim")" = victim ] && [ -L "$answers.tmp" ] && grep -qx 'skin-name=Aqua' "$answers"
}
fifo_at_answers() { rm -f "$answers" && mkfifo "$answers"; }
fifo_at_answers_after() { [ -p "$answers" ]; }
device_at_answers() { [ "$(id -u)" -eq 0 ] && rm -f "$answers" && mknod "$answers" c 1 3; }  # null
device_at_answers_after() { [ -c "$answers" ]; }
mine_at_answers() { rm -f "$answers" && printf 'mine\n' >"$answers"; }
mine_at_answers_after() { [ "$(cat "$answers")" = mine ]; }
no_answers() { rm -f "$answers"; }
no_answers_after() { [ ! -e "$answers" ]; }
unmapped_drive() { true; }
unmapped_drive_after() { ! grep -q 'take back' "$work/err"; }

hostile skin 2 "it is not a regular file" - fifo_answers P --answers "$answers" --yes
hostile skin 2 "it is not a regular file" - - P --answers /dev/zero --yes
hostile skin 2 "it is a folder, not a file" - - P --answers "$work" --yes
hostile skin 2 "an answers file at most 65536" - big_answers P --answers "$answers" --yes
hostile skin 0 "" . bom_cr_answers P --answers "$answers" --yes
hostile skin 2 "found '\x1B[2J00000" - long_bad_line P --answers "$answers" --yes
hostile skin 0 "" . saved_line_break P --answers "$answers" --yes
hostile skin 0 "" . tmp_link P --skin-name Aqua --save-answers "$answers" --yes
hostile skin 1 "will not replace" . fifo_at_answers P --skin-name Aqua --save-answers "$answers" --yes
hostile skin 1 "will not replace" . device_at_answers P --skin-name Aqua --save-answers "$answers" --yes
# A dry run writes nothing, its answers file included, and says where it would write it.
hostile skin 0 "answers.txt: new file" - no_answers P --skin-name Aqua --dry-run --save-answers "$answers" --yes
hostile skin 0 "answers.txt" - mine_at_answers P --skin-name Aqua --dry-run --save-answers "$answers" --yes
hostile skin 1 "is not mapped" - unmapped_drive P --location 'Q:\Work\Deep' --skin-name Aqua --yes
for device in 'COM¹' 'com².txt' 'LPT³' 'Lpt¹' COM0 LPT0 'CONIN$' 'conout$.h'; do
  hostile skin 2 "'$device' is a name Windows keeps for a device" - - "$device" --skin-name Aqua --yes
done
hostile skin 2 "'Ωmega' holds 'Ω', which Windows-1252 cannot spell" - - P --skin-name 'Ωmega' --yes
hostile skin 2 "'Ω Corp' holds 'Ω', which Windows-1252 cannot spell" - - P --skin-name Aqua --company 'Ω Corp' --yes
hostile skin 2 "'Проект' holds 'П', which Windows-1252 cannot spell" - - 'Проект' --skin-name Aqua --yes

hostile skin 1 "may hold newer registry values" - server_on_sample P --skin-name Aqua --yes

WINEPREFIX=$sample wineserver -k 2>/dev/null

echo "hostile inputs: $cases cases, $failures failed, $skipped skipped"
[ "$failures" -eq 0 ]
