# bash completion for tslkt-skinwizard; installed as share/bash-completion/completions/tslkt-skinwizard.
_tslkt_skinwizard() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  case $prev in
    --location|--prefix) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    --answers|--save-answers) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    --comments|--common-dir) COMPREPLY=($(compgen -W 'yes no' -- "$cur")); return ;;
    --look) COMPREPLY=($(compgen -W '2000 xp' -- "$cur")); return ;;
    --methods) COMPREPLY=($(compgen -W 'all none' -- "$cur")); return ;;
    --skin-name|--author|--company|--email|--url) return ;;
  esac
  [[ $cur == -* ]] || return
  COMPREPLY=($(compgen -W '--location --skin-name --author --company --email --url --comments
                          --look --methods --common-dir --prefix --answers --save-answers
                          --dry-run --force --yes --help --version' -- "$cur"))
}
complete -F _tslkt_skinwizard tslkt-skinwizard
