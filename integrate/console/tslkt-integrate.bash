# bash completion for tslkt-integrate; installed as share/bash-completion/completions/tslkt-integrate.
_tslkt_integrate() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  case $prev in
    --prefix) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    --undo) COMPREPLY=($(compgen -f -X '!*.jnl' -- "$cur")); return ;;
    --windows-build) COMPREPLY=($(compgen -f -X '!*.exe' -- "$cur")); return ;;
    --format) COMPREPLY=($(compgen -W 'text json' -- "$cur")); return ;;
    --ide|--items)
      # A comma-separated list: complete the name after the last comma.
      local names=vc6,net70,net71,vs2005
      [ "$prev" = --items ] && names=directories,help,appwizard,skinwizard
      local done=${cur%"${cur##*,}"}
      COMPREPLY=($(compgen -P "$done" -W "${names//,/ }" -- "${cur##*,}"))
      compopt -o nospace 2>/dev/null
      return ;;
  esac
  if [[ $cur == -p:* ]]; then
    COMPREPLY=($(compgen -P -p: -d -- "${cur#-p:}"))
    return
  fi
  COMPREPLY=($(compgen -W '-p: --prefix --ide --items --yes --dry-run --no-journal --undo --force --remove
                          --status --format --help --version --windows-build' -- "$cur"))
}
complete -F _tslkt_integrate tslkt-integrate
