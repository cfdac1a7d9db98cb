# bash completion for wubble-render: its options, WAV files after -o, any
# file after --batch (the list), folders after -d. The numbers have nothing
# to complete.
_wubble_render() {
  local cur prev words cword
  _init_completion || return

  case $prev in
    -o) _filedir wav; return ;;
    -d) _filedir -d; return ;;
    -j) return ;;
  esac

  # --batch comes first, then its list, then its options.
  if [[ ${words[1]} == --batch ]]; then
    if ((cword == 2)); then
      _filedir
    elif [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W '-d -j' -- "$cur"))
    fi
    return
  fi

  if [[ $cur == -* ]]; then
    local options='-o --params --help -h --version'
    ((cword == 1)) && options+=' --batch'
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  fi
} &&
  complete -F _wubble_render wubble-render
