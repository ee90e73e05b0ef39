#!/usr/bin/env bash
# Kills both tools with SIGKILL at random moments and checks what they leave: every file a
# run may touch must be wholly the old or wholly the new content, and the next run that
# completes must leave no temporary file behind. The integration runs on a sample prefix
# with a ~20 MB system.reg and large help files; the skin wizard writes a project.
#
# Usage: tests/kill_test.sh [--kills N] INTEGRATE_EXE SKINWIZARD_EXE
#   N kills per tool (default 10: the short form CI runs; use 1000 or more for the long form).
# TSL_TEST_PREFIX names a prefix made by scripts/make-prefix.sh; it is only read. UNDO_ONLY=1
# runs only the kill-and-undo part (its long form: --kills 1000).
# Prints the figures (kills, torn files, leftovers) and exits 1 when anything was torn, or a
# temporary file a kill left survives the next run.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
kills=10
if [ "${1:-}" = --kills ]; then kills=$2; shift 2; fi
integrate=${1:?usage: kill_test.sh [--kills N] INTEGRATE_EXE SKINWIZARD_EXE}
skinwizard=${2:?usage: kill_test.sh [--kills N] INTEGRATE_EXE SKINWIZARD_EXE}
unset DISPLAY
test_prefix
scratch kill

lib_rel='drive_c/Program Files (x86)/Quorvane/Tessaline'
template_rel='drive_c/Program Files (x86)/Microsoft Visual Studio/Common/MSDev98/Template'
col_rel='drive_c/Program Files (x86)/Microsoft Visual Studio/MSDN98/98VS/1033/MSDNVS98.COL'
colreg_rel='drive_c/windows/Help/hhcolreg.dat'
# Every file an integration may write.
touched=(system.reg user.reg "$colreg_rel" "$col_rel" "$lib_rel/directories.txt"
         "$lib_rel/Help/hhcolreg.dat" "$lib_rel/Help/MSDNVS98.COL"
         "$template_rel/TSLXAppWizard.awx" "$template_rel/TSLSkinWizard.awx")

# The running-IDE check sees every process of the machine: wait out another test's stand-in
# for Visual C++ before a run.
settle_ide() {
  local i
  for i in $(seq 600); do grep -qa 'MSDEV.EXE' /proc/[0-9]*/cmdline 2>/dev/null || break; sleep 0.1; done
}
integrate_run() { settle_ide; "$integrate" --prefix "$p" --yes </dev/null "$@"; }

# Registry files differ from run to run in their time stamps only, which comparisons leave out.
stamps() { sed -E 's/^(\[.*\]) [0-9]+$/\1/; /^#time=/d' "$1"; }
leftovers() { find "$1" -xdev -name '.*.tsl-*' 2>/dev/null | wc -l; }
# A temporary file younger than a second may belong to a run that is just starting, so a
# run leaves those; the leftovers of a kill are aged instead of waited for.
age_leftovers() { find "$1" -xdev -name '.*.tsl-*' -exec touch -d '2 seconds ago' {} + 2>/dev/null; }
status=0

# --- Kill, then undo --------------------------------------------------------------------------
# Every change is in the journal before it is made, so a run killed at any moment is taken
# back by --undo: every file (content and mode), every folder and every hive value as before
# the run. Then the same for SIGINT, which must stop the run between two changes, mark the
# journal and exit 130. On the plain sample machine, where a run spends its time on the
# changes themselves.
u=$(sample_machine u) || exit 1
journals='*/AppData/Local/Quorvane'  # the journals' folder and the folders made for it
undo_state() {  # prefix: what a run may change, less the journals and the hives' time stamps
  (cd "$1" && find drive_c -path "$journals" -prune -o -printf '%y %m %p\n' | LC_ALL=C sort &&
    find 'drive_c/Program Files (x86)' drive_c/windows/Help drive_c/users -path "$journals" \
      -prune -o -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum &&
    stamps system.reg && stamps user.reg)
}
undo_run() { settle_ide; "$integrate" --prefix "$u" --yes </dev/null >"$work/u.log" 2>&1 & upid=$!; }
undone=0 not_restored=0 undo_landed=0 interrupted=0 int_bad=0
undo_state "$u" >"$work/u.before"
# Kills land within the time of a whole run (and a few just before its first change).
start=$(( $(date +%s%N) / 1000000 ))
undo_run; wait "$upid"
undo_ms=$(( $(date +%s%N) / 1000000 - start ))
check_undo() {  # what
  age_leftovers "$u"
  settle_ide
  "$integrate" --prefix "$u" --undo </dev/null >"$work/undo.log" 2>&1
  local rc=$?
  undone=$((undone + 1))
  undo_state "$u" >"$work/u.after"
  if [ "$rc" -gt 2 ] || ! cmp -s "$work/u.before" "$work/u.after" || [ "$(leftovers "$u")" -ne 0 ]; then
    not_restored=$((not_restored + 1))
    echo "NOT RESTORED after $1 (undo exit $rc):"
    diff "$work/u.before" "$work/u.after" | head -n 6
    find "$u" -xdev -name '.*.tsl-*' | head -n 3
    grep -E '^(✗|tslkt)' "$work/undo.log" | head -n 3
    [ -z "${KEEP_FAILED:-}" ] || cp -a "$work/undo.log" "$work/u.after" "${KEEP_FAILED}/" 2>/dev/null
  fi
  # Each run's journal holds its own before-images; the next kill must not undo an old run.
  find "$u/drive_c/users" -type d -path "$journals" -prune -exec rm -rf {} +
}
check_undo "the uninterrupted run"
for ((i = 1; i <= kills; i++)); do
  undo_run
  sleep "$(awk -v ms="$undo_ms" -v r="$RANDOM" 'BEGIN { printf "%.3f", ms * r / 32768 / 1000 }')"
  kill -9 "$upid" 2>/dev/null && undo_landed=$((undo_landed + 1))
  wait "$upid" 2>/dev/null
  check_undo "kill $i"
done
ints=$(( kills < 20 ? kills : 20 ))
for ((i = 1; i <= ints; i++)); do
  undo_run
  sleep "$(awk -v ms="$undo_ms" -v r="$RANDOM" 'BEGIN { printf "%.3f", ms * r / 32768 / 1000 }')"
  kill -INT "$upid" 2>/dev/null
  wait "$upid"
  rc=$?
  if [ "$rc" -eq 130 ]; then
    interrupted=$((interrupted + 1))
    jnl=$(find "$u/drive_c/users" -name 'integrate-*.jnl' | head -n 1)
    # A run stopped before its first change keeps no journal; one stopped later marks it
    # interrupted, and one whose signal came after its last change marks it finished.
    if [ -n "$jnl" ] && ! tail -c 64 "$jnl" | grep -aqE ' (interrupted|finished)$'; then
      int_bad=$((int_bad + 1)); echo "SIGINT $i: exit 130 but the journal is not marked"
    fi
  elif [ "$rc" -ne 0 ]; then
    int_bad=$((int_bad + 1)); echo "SIGINT $i: exit $rc"; tail -n 3 "$work/u.log"
  fi
  check_undo "SIGINT $i"
done
echo "kill and undo: $undone runs taken back ($kills killed at random within ${undo_ms} ms," \
     "$undo_landed while running; $ints sent SIGINT, $interrupted stopped with 130," \
     "$int_bad wrong), $not_restored not restored"
[ "$not_restored" -eq 0 ] && [ "$int_bad" -eq 0 ] || status=1
[ -z "${UNDO_ONLY:-}" ] || exit $status

# --- A large sample prefix --------------------------------------------------------------------
p=$(sample_machine p) || exit 1
# Keys of 200-byte values until system.reg passes 20 MB, and a few MB more in user.reg, so a
# run spends its time reading and writing big files, where a kill is most likely to land.
pad_reg() {  # file keys
  awk -v n="$2" 'BEGIN {
    v = sprintf("%0200d", 0)
    for (i = 0; i < n; i++)
      printf "\n[Software\\\\TslPad\\\\Key%06d] 1700000000\n#time=1d9f0f0f0f0f0f0\n\"Value\"=\"%s\"\n", i, v
  }' >>"$1"
}
pad_reg "$p/system.reg" 75000
pad_reg "$p/user.reg" 10000
# Thousands of other titles in hhcolreg.dat and folders in the collection file (CR LF).
pad_before() {  # file closing-tag count kind
  local file=$1 tag=$2
  awk -v tag="$tag" -v n="$3" -v kind="$4" '
    index($0, tag) == 1 && !done {
      for (i = 0; i < n; i++) {
        if (kind == "entry")
          printf "<DocCompilation>\r\n\t<DocCompId value=\"pad%06d\"/>\r\n\t<DocCompLanguage value=1033/>\r\n\t<LocationHistory>\r\n\t\t<ColNum value=1/>\r\n\t\t<TitleLocation value=\"C:\\MSDN\\pad%06d.chm\"/>\r\n\t</LocationHistory>\r\n</DocCompilation>\r\n", i, i
        else
          printf "\t\t<Folder>\r\n\t\t\t<TitleString value=\"=pad%06d\"/>\r\n\t\t\t<FolderOrder value=%d/>\r\n\t\t</Folder>\r\n", i, i + 3
      }
      done = 1
    }
    { print }' "$file" >"$file.pad" && mv "$file.pad" "$file"
}
pad_before "$p/$colreg_rel" '</DocCompilations>' 20000 entry
pad_before "$p/$col_rel" '</Folders>' 20000 folder

# The old and the new content of every touched file: copies made before any run, and after
# one run that was not killed. Registry files differ from run to run in their time stamps
# only, which the comparison leaves out.
mkdir -p "$work/old" "$work/new"
snapshot() {  # prefix folder
  local f
  for f in "${touched[@]}"; do
    if [ -e "$1/$f" ]; then
      mkdir -p "$2/$(dirname "$f")"
      cp -p "$1/$f" "$2/$f"
    fi
  done
}
snapshot "$p" "$work/old"
integrate_run >"$work/full.log" 2>&1 || {
  echo "the uninterrupted integration failed:"; cat "$work/full.log"; exit 1; }
snapshot "$p" "$work/new"

for f in system.reg user.reg; do
  for v in old new; do stamps "$work/$v/$f" >"$work/$v/$f.stamps"; done
done
same() {  # file version-file
  cmp -s "$1" "$2" && return 0
  case $1 in
    *.reg) cmp -s <(stamps "$1") "$2.stamps" ;;
    *) return 1 ;;
  esac
}
# The directory lists are two values written one after the other, each in a whole file: a run
# killed between them leaves the first list new and the second old. Such a hive holds every
# line of either version in its place.
between() {  # file: each line as in the old version or as in the new one
  [ "${1##*.}" = reg ] || return 1
  stamps "$1" | awk -v old="$work/old/${1#"$p/"}.stamps" -v new="$work/new/${1#"$p/"}.stamps" '
    { if ((getline o < old) <= 0 || (getline n < new) <= 0 || ($0 != o && $0 != n)) exit 1 }
    END { if ((getline o < old) > 0 || (getline n < new) > 0) exit 1 }'
}
# Puts the old files back. Copies, not links: a wineserver writes into a file with more than
# one link in place, which would change the snapshot.
restore() {
  local f
  for f in "${touched[@]}"; do
    if [ -e "$work/old/$f" ]; then
      cp -p --remove-destination "$work/old/$f" "$p/$f"
    else
      rm -f "$p/$f"
    fi
  done
}

torn=0 landed=0 finished=0
check_files() {  # what
  local f
  for f in "${touched[@]}"; do
    if [ -e "$p/$f" ]; then
      same "$p/$f" "$work/old/$f" 2>/dev/null || same "$p/$f" "$work/new/$f" 2>/dev/null ||
        between "$p/$f" || {
        torn=$((torn + 1)); echo "TORN after $1: $f"; cp "$p/$f" "$work/torn-$torn"; }
    elif [ -e "$work/old/$f" ]; then
      torn=$((torn + 1)); echo "LOST after $1: $f"
    fi
  done
}
# Kills land at random within the shortest of three whole runs.
full_run_ms=
for _ in 1 2 3; do
  restore
  start=$(( $(date +%s%N) / 1000000 ))
  integrate_run >/dev/null 2>&1
  took=$(( $(date +%s%N) / 1000000 - start ))
  [ -z "$full_run_ms" ] || [ "$took" -lt "$full_run_ms" ] && full_run_ms=$took
done

# --- Kills of the integration ----------------------------------------------------------------
for ((i = 1; i <= kills; i++)); do
  restore
  settle_ide
  "$integrate" --prefix "$p" --yes </dev/null >/dev/null 2>&1 &
  pid=$!
  sleep "$(awk -v ms="$full_run_ms" -v r="$RANDOM" 'BEGIN { printf "%.3f", ms * r / 32768 / 1000 }')"
  if kill -9 "$pid" 2>/dev/null; then landed=$((landed + 1)); else finished=$((finished + 1)); fi
  wait "$pid" 2>/dev/null
  check_files "kill $i"
  find "$p" -xdev -name '.*.tsl-*' >>"$work/left-names" 2>/dev/null
  # Wine's own reader now and then: it must take the registry as it was left.
  if [ $((i % 100)) -eq 1 ]; then
    WINEPREFIX=$p wine reg query 'HKCU\Software\Microsoft\DevStudio\6.0\Directories' \
      >/dev/null 2>&1 || { torn=$((torn + 1)); echo "wine reg query failed after kill $i"; }
    WINEPREFIX=$p wineserver -k 2>/dev/null
    WINEPREFIX=$p wineserver -w 2>/dev/null
  fi
done
# A run that is not killed clears what the killed ones left.
age_leftovers "$p"
restore
integrate_run >/dev/null 2>&1
check_files "the complete run after the kills"
left=$(leftovers "$p")
find "$p" -xdev -name '.*.tsl-*' 2>/dev/null | head -n 5 | sed 's/^/LEFT after the complete run: /'
seen_left=$(sort -u "$work/left-names" 2>/dev/null | wc -l)
echo "integration: $kills runs killed at random within ${full_run_ms} ms (${landed} while" \
     "running, ${finished} already done), $torn torn or lost files, $seen_left temporary files" \
     "left by the kills, $left left after the next complete run"
[ "$torn" -eq 0 ] && [ "$left" -eq 0 ] || status=1

# --- Two runs at once ----------------------------------------------------------------------------
# The second writer waits for the first: both succeed, and each list gains the folder once.
pairs=$(( kills < 100 ? kills : 100 )) bad_pairs=0 retries=0
for ((i = 1; i <= pairs; i++)); do
  restore
  settle_ide
  "$integrate" --prefix "$p" --yes </dev/null >"$work/a.log" 2>&1 &
  a=$!
  "$integrate" --prefix "$p" --yes </dev/null >"$work/b.log" 2>&1
  b_rc=$?
  wait "$a"
  a_rc=$?
  # Another test's stand-in for Visual C++ that appeared meanwhile makes both runs give up.
  if grep -q 'Please close Microsoft Visual C++' "$work/a.log" "$work/b.log" &&
     [ $((retries += 1)) -le 20 ]; then
    i=$((i - 1))
    continue
  fi
  include=$(grep -c 'Include Dirs.*Quorvane\\\\Tessaline\\\\Tessaline' "$p/user.reg")
  added=$(grep -o 'Quorvane\\\\Tessaline\\\\Bin' "$p/user.reg" | wc -l)
  if [ "$a_rc" -ne 0 ] || [ "$b_rc" -ne 0 ] || [ "$include" -ne 1 ] || [ "$added" -ne 1 ]; then
    bad_pairs=$((bad_pairs + 1))
    echo "pair $i: exit $a_rc and $b_rc, Include Dirs with the folder: $include, Bin added: $added"
    grep -hE '^(tslkt|✗)' "$work/a.log" "$work/b.log" | head -n 5
  fi
done
echo "two runs at once: $pairs pairs, $bad_pairs wrong"
[ "$bad_pairs" -eq 0 ] || status=1

# --- Kills of the project generation ---------------------------------------------------------
# Each file of the project is either missing or complete; a rerun with --force completes it.
loc=$work/projects
mkdir -p "$loc"
project_args=(KillSkins --skin-name Aqua --location "$loc" --prefix "$p" --yes)
"$skinwizard" "${project_args[@]}" </dev/null >"$work/project.log" 2>&1 || {
  echo "the uninterrupted project generation failed:"; cat "$work/project.log"; exit 1; }
mv "$loc/KillSkins" "$work/project-new"
gen_ms=
for _ in 1 2 3; do
  rm -rf "$loc/KillSkins"
  start=$(( $(date +%s%N) / 1000000 ))
  "$skinwizard" "${project_args[@]}" </dev/null >/dev/null 2>&1
  took=$(( $(date +%s%N) / 1000000 - start ))
  [ -z "$gen_ms" ] || [ "$took" -lt "$gen_ms" ] && gen_ms=$took
done
ptorn=0 pleft=0 planded=0 pstale=0 prerun=0
for ((i = 1; i <= kills; i++)); do
  rm -rf "$loc/KillSkins"
  "$skinwizard" "${project_args[@]}" </dev/null >/dev/null 2>&1 &
  pid=$!
  sleep "$(awk -v ms="$gen_ms" -v r="$RANDOM" 'BEGIN { printf "%.3f", ms * r / 32768 / 1000 }')"
  kill -9 "$pid" 2>/dev/null && planded=$((planded + 1))
  wait "$pid" 2>/dev/null
  while IFS= read -r -d '' f; do
    rel=${f#"$loc/KillSkins/"}
    case $(basename "$rel") in .*.tsl-*) pleft=$((pleft + 1)); continue ;; esac
    if [ ! -e "$work/project-new/$rel" ]; then
      ptorn=$((ptorn + 1)); echo "UNEXPECTED after project kill $i: $rel"
    elif ! cmp -s "$f" "$work/project-new/$rel"; then
      ptorn=$((ptorn + 1)); echo "TORN after project kill $i: $rel"
    fi
  done < <(find "$loc/KillSkins" -type f -print0 2>/dev/null)
  # A rerun over what the kill left completes the project and removes its temporary files.
  if [ -n "$(find "$loc/KillSkins" -name '.*.tsl-*' 2>/dev/null)" ]; then
    age_leftovers "$loc/KillSkins"
    "$skinwizard" "${project_args[@]}" --force </dev/null >"$work/rerun.log" 2>&1 || {
      prerun=$((prerun + 1)); echo "the rerun after project kill $i failed:"; head -n 3 "$work/rerun.log"; }
    pstale=$((pstale + $(find "$loc/KillSkins" -name '.*.tsl-*' | wc -l)))
    diff -r "$loc/KillSkins" "$work/project-new" >/dev/null || {
      prerun=$((prerun + 1)); echo "the rerun after project kill $i left a different project"; }
  fi
done
echo "project generation: $kills runs killed at random within ${gen_ms} ms ($planded while" \
     "running), $ptorn torn files, $pleft temporary files seen after kills, $pstale left after" \
     "a rerun, $prerun reruns failed"
[ "$ptorn" -eq 0 ] && [ "$pstale" -eq 0 ] && [ "$prerun" -eq 0 ] || status=1
exit $status
