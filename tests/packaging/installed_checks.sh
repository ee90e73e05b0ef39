# What an installed copy of the Linux tools must do, whatever installed it (cmake --install, the
# Debian package): sourced by install_test.sh and deb_test.sh.
# Needs: $version; gives what tests/lib.sh gives ($root, $work from `scratch`, fail()).
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
export WINEDEBUG=-all
unset DISPLAY

# A sample developer machine made from the test prefix, once per test run.
sample_prefix() {
  if [ ! -d "$work/sample" ]; then
    test_prefix
    edited=(drive_c/windows/Help/hhcolreg.dat
            "drive_c/Program Files (x86)/Microsoft Visual Studio/MSDN98/98VS/1033/MSDNVS98.COL")
    sample_machine sample >/dev/null || return 1
  fi
  echo "$work/sample"
}

# The options a text names: every "--word" in it.
options_in() { grep -oE -- '--[a-z][a-z-]*' | sort -u; }

# check_installed USR: the programs under USR/bin with their man pages, completions and README,
# run from a folder that is neither the source nor the build tree.
check_installed() {
  local usr=$1 prog out rc p
  for f in bin/tslkt-integrate bin/tslkt-skinwizard \
           share/man/man1/tslkt-integrate.1 share/man/man1/tslkt-skinwizard.1 \
           share/bash-completion/completions/tslkt-integrate \
           share/bash-completion/completions/tslkt-skinwizard \
           share/doc/tessaline-companion/README.md; do
    [ -f "$usr/$f" ] || fail "not installed: $f"
  done
  mkdir -p "$work/elsewhere"
  cd "$work/elsewhere" || return
  for prog in tslkt-integrate tslkt-skinwizard; do
    out=$("$usr/bin/$prog" --version); rc=$?
    [ "$rc.$out" = "0.$prog $version" ] || fail "$prog --version: status $rc, '$out'"
    "$usr/bin/$prog" --help >"$work/$prog.help"; rc=$?
    [ "$rc" = 0 ] || fail "$prog --help: status $rc"
    local man=$usr/share/man/man1/$prog.1
    # The page renders without a roff warning and names the same options as --help.
    local warnings
    warnings=$(MANWIDTH=80 man --warnings -l "$man" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$prog.1: $warnings"
    sed 's/\\-/-/g' "$man" >"$work/$prog.man"
    [ "$(options_in <"$work/$prog.help")" = "$(options_in <"$work/$prog.man")" ] ||
      fail "$prog: options of --help and the man page differ:"$'\n'"$(diff <(options_in <"$work/$prog.help") <(options_in <"$work/$prog.man"))"
    # Every exit status of the man page is in --help's list, and the other way round.
    local man_codes help_codes
    man_codes=$(sed -n '/^\.SH EXIT STATUS/,/^\.SH [^E]/s/^\.B \([0-9]*\)$/\1/p' "$work/$prog.man" |
                sort -n | tr '\n' ' ')
    help_codes=$(sed -n '/^Exit status/,$p' "$work/$prog.help" | tr '\n' ' ' |
                 grep -oE '(^|[:;] )[0-9]+ [a-z(]' | grep -oE '[0-9]+' | sort -nu | tr '\n' ' ')
    [ -n "$man_codes" ] && [ "$man_codes" = "$help_codes" ] ||
      fail "$prog: exit statuses of the man page ($man_codes) and --help ($help_codes) differ"
    # The completion offers every option --help names.
    out=$(bash -c 'source "$1"; COMP_WORDS=("$2" --); COMP_CWORD=1; "$3"; printf "%s\n" "${COMPREPLY[@]}"' \
          _ "$usr/share/bash-completion/completions/$prog" "$prog" "_${prog//-/_}" | sort -u)
    [ "$out" = "$(options_in <"$work/$prog.help")" ] ||
      fail "$prog: the completion's options differ from --help:"$'\n'"$(diff <(echo "$out") <(options_in <"$work/$prog.help"))"
  done

  p=$(sample_prefix) || { fail "no sample prefix"; return; }
  # A real integration, under a locale without UTF-8: every byte ASCII, the marks spelt out.
  LC_ALL=C "$usr/bin/tslkt-integrate" --prefix "$p" --yes '-p:C:\Program Files (x86)\Quorvane\Tessaline' \
    </dev/null >"$work/integrate.out" 2>&1; rc=$?
  [ "$rc" = 0 ] || fail "integration: status $rc"$'\n'"$(cat "$work/integrate.out")"
  grep -qx '\[ok\] Integration completed successfully' "$work/integrate.out" ||
    fail "integration: no '[ok] Integration completed successfully'"
  ! LC_ALL=C grep -q '[^[:print:][:space:]]' "$work/integrate.out" ||
    fail "integration under LC_ALL=C wrote bytes that are not ASCII:"$'\n'"$(LC_ALL=C grep -n '[^[:print:][:space:]]' "$work/integrate.out" | cat -A | head -n 3)"
  "$usr/bin/tslkt-skinwizard" MySkins --prefix "$p" --location "$work/elsewhere" --skin-name Aqua \
    --yes </dev/null >"$work/skin.out" 2>&1; rc=$?
  [ "$rc" = 0 ] && [ -f "$work/elsewhere/MySkins/MySkins.dsp" ] ||
    fail "skin wizard: status $rc"$'\n'"$(cat "$work/skin.out")"
  # Without a prefix the skin wizard says so, as the README tells.
  out=$(env -u WINEPREFIX HOME="$work/nohome" "$usr/bin/tslkt-skinwizard" Other --yes 2>&1 </dev/null); rc=$?
  [ "$rc" = 1 ] && grep -q "The Wine prefix $work/nohome/.wine is not a folder." <<<"$out" ||
    fail "skin wizard without a prefix: status $rc, '$out'"
  cd "$root" || return
}
