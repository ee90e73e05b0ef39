#!/usr/bin/env bash
# A dry run against the real run on twin sample machines whose writes are refused: a folder
# this user may not write in, a read-only file, a file whose content cannot be kept for the
# undo, an immutable hive, a wizard file the record cannot plan. Both runs go without the
# capabilities that let root write anywhere, so the refusals are the ones an ordinary user
# meets. The dry run must print the same progress lines and messages and exit with the same
# status as the real run, and change nothing.
#
# Usage: tests/dry_run_test.sh INTEGRATE_EXE
# TSL_TEST_PREFIX names a prefix made by scripts/make-prefix.sh; it is only read.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
integrate=${1:?usage: dry_run_test.sh INTEGRATE_EXE}
unset DISPLAY
test_prefix
scratch dry
tidy() {
  chattr -R -i "$work" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
}

lib_rel='drive_c/Program Files (x86)/Quorvane/Tessaline'
template_rel='drive_c/Program Files (x86)/Microsoft Visual Studio/Common/MSDev98/Template'
sample=$(sample_machine sample) || exit 1

# Root without the override capabilities, as an ordinary user; the plain user when not root.
unprivileged=()
if [ "$(id -u)" -eq 0 ]; then
  unprivileged=(setpriv --inh-caps=-all
    --bounding-set=-dac_override,-dac_read_search,-fowner,-linux_immutable --)
fi
can_chattr=no
touch "$work/probe" && chattr +i "$work/probe" 2>/dev/null && chattr -i "$work/probe" && can_chattr=yes

# name | what is done to both machines (in the prefix folder) | the real run's exit status
cases=(
  "template folder not writable|chmod a-w '$template_rel'|1"
  "read-only backup list|printf 'mine\r\n' >'$lib_rel/directories.txt' && chmod a-w '$lib_rel/directories.txt'|0"
  "backup list that cannot be read|printf 'mine\r\n' >'$lib_rel/directories.txt' && chmod 0200 '$lib_rel/directories.txt'|1"
  "immutable user hive|chattr +i user.reg|1"
  "wizard file the code page cannot spell|printf x >'$lib_rel/TSLAppWizard7/TSLAppWizard/HTML/1033/Ω.htm'|1"
  "wizard file named with a backslash|printf x >'$lib_rel/TSLAppWizard7/TSLAppWizard/HTML/1033/a\\b.htm'|1"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name setup expected <<<"$entry"
  if [[ $setup == chattr* ]] && [ "$can_chattr" = no ]; then
    echo "SKIP $name: this file system or user cannot set the immutable flag"
    continue
  fi
  for run in dry real; do
    clone "$sample" "$run" "$lib_rel" "$template_rel" drive_c/users >/dev/null || exit 1
    (cd "$work/$run" && eval "$setup")
    (cd "$work/$run" && find drive_c -printf '%y %m %s %p\n' | LC_ALL=C sort && md5sum ./*.reg) \
      >"$work/$run.before"
  done
  "${unprivileged[@]}" "$integrate" --prefix "$work/dry" --yes --dry-run </dev/null \
    >"$work/dry.out" 2>"$work/dry.err"
  dry_rc=$?
  "${unprivileged[@]}" "$integrate" --prefix "$work/real" --yes --no-journal </dev/null \
    >"$work/real.out" 2>"$work/real.err"
  real_rc=$?
  (cd "$work/dry" && find drive_c -printf '%y %m %s %p\n' | LC_ALL=C sort && md5sum ./*.reg) \
    >"$work/dry.after"
  # The progress lines and the messages; the dry run's listing and the real run's journal
  # lines come after the run and differ by design. Prefix paths differ between the twins.
  lines() { grep -aE '^(✓|✗|tslkt-integrate:)' "$1" "$2" --no-filename | sed "s|$work/[a-z]*|PREFIX|g"; }
  problem=
  [ "$real_rc" = "$expected" ] || problem="the real run exited $real_rc, not $expected"
  [ "$dry_rc" = "$real_rc" ] || problem="${problem:+$problem; }dry run exit $dry_rc, real run $real_rc"
  diff <(lines "$work/dry.out" "$work/dry.err") <(lines "$work/real.out" "$work/real.err") \
    >"$work/diff" || problem="${problem:+$problem; }the lines differ"
  cmp -s "$work/dry.before" "$work/dry.after" || problem="${problem:+$problem; }the dry run changed its machine"
  if [[ $name == wizard* ]]; then
    # Nothing of a copy the record refuses reaches the IDE's folders.
    find "$work/real/drive_c/Program Files (x86)" -path '*Vc7*TSLAppWizard*' | grep -q . &&
      problem="${problem:+$problem; }the real run copied part of the refused wizard"
    grep -aq 'Can not copy file from' "$work/real.err" ||
      problem="${problem:+$problem; }no message 15"
  fi
  if [ -n "$problem" ]; then
    current=$name
    fail "$problem"
    head -n 8 "$work/diff"
  else
    echo "ok   $name (exit $real_rc)"
  fi
  chattr -R -i "$work/dry" "$work/real" 2>/dev/null
done
echo "dry run against real run: ${#cases[@]} cases, $failures failed"
[ "$failures" -eq 0 ]
