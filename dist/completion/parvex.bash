# bash completion for parvex-cli and parvex: the commands, each command's
# options, file names where a file is expected, folders for -d and --root,
# the restore modes for -m. Works with or without the bash-completion package.

_parvex_cli_reply() {  # _parvex_cli_reply WORDS... : the words that start with $cur
  local IFS=$'\n'
  COMPREPLY=($(compgen -W "$*" -- "$cur"))
}

_parvex_cli_paths() {  # _parvex_cli_paths -f|-d : file or folder names that start with $cur
  compopt -o filenames 2>/dev/null
  local IFS=$'\n'
  COMPREPLY=($(compgen "$1" -- "$cur"))
}

_parvex_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local commands="split join title list test sysinfo help"
  local command="" i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      -*) ;;
      *) command=${COMP_WORDS[i]}; break ;;
    esac
  done
  COMPREPLY=()

  # The values of options that take one.
  case $command:$prev in
    split:-T | split:--files-from) _parvex_cli_paths -f; return ;;
    split:-t | split:--title | split:-s | split:--volume-size | *:--threads) return ;;
    join:-d | join:--dest | sysinfo:--root) _parvex_cli_paths -d; return ;;
    join:-m | join:--mode) _parvex_cli_reply all no-overwrite newer existing existing-newer; return ;;
    sysinfo:--drive) _parvex_cli_reply A B C D E F G H I J K L M N O P Q R S T U V W X Y Z; return ;;
  esac

  local options
  case $command in
    "") options="-h --help --version" ;;
    split) options="-h --help -t --title -s --volume-size -i --id-files -T --files-from -r --recursive
                    -L --dereference --incremental --clear-archive-flag --overwrite --pause -q --quiet --threads" ;;
    join) options="-h --help -d --dest -f --full-path -m --mode --no-prompt --salvage -q --quiet --threads" ;;
    title) options="-h --help" ;;
    list | test) options="-h --help --no-prompt -q --quiet --json" ;;
    sysinfo) options="-h --help --drive --json --root" ;;
    help) options="-h --help" ;;
  esac
  if [[ $cur == -* ]]; then
    _parvex_cli_reply $options
    return
  fi
  case $command in
    "") _parvex_cli_reply $commands ;;
    help) _parvex_cli_reply $commands ;;
    split | join | title | list | test) _parvex_cli_paths -f ;;
  esac
}

_parvex() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  if [[ $cur == -* ]]; then
    _parvex_cli_reply -h --help --version
    return
  fi
  # First volumes of sets, and folders on the way to them.
  compopt -o filenames 2>/dev/null
  local IFS=$'\n'
  COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[Pp][Xx]' -- "$cur"))
}

complete -F _parvex_cli parvex-cli
complete -F _parvex parvex
