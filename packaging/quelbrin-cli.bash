# bash completion for quelbrin-cli. The commands and options are asked of the
# program itself, so that they follow its help; node paths are those of the
# machine the command line names (--machine, --root, --all-mount-points), the
# running one by default, one path segment at a time.

# The word as the program will get it: without the quotes or backslashes typed.
_quelbrin_cli_dequote() {
  local s=$1
  case $s in
    \'*) s=${s#\'}; s=${s%\'} ;;
    \"*) s=${s#\"}; s=${s%\"} ;;
    *) s=$(sed 's/\\\(.\)/\1/g' <<<"$s") ;;
  esac
  printf '%s' "$s"
}

_quelbrin_cli() {
  local cur prev words cword
  if declare -F _get_comp_words_by_ref >/dev/null; then
    # Node paths hold colons ("\DosDevices\C:"): keep them in one word.
    _get_comp_words_by_ref -n =: cur prev words cword
  else
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
  fi
  local cli=${words[0]}
  COMPREPLY=()

  # Each option of quelbrin-cli and whether it takes a value; those the help
  # names are offered.
  local help
  help=$("$cli" --help 2>/dev/null)
  local -a options=()
  local -A valued=()
  local name kind programs
  while read -r name kind programs; do
    [[ $programs == *cli* ]] || continue
    [[ $kind == value ]] && valued[$name]=1
    grep -qE -- "(^|[[ ,])${name}([] ,=]|$)" <<<"$help" && options+=("$name")
  done < <("$cli" --list-options 2>/dev/null)

  # What the words before the cursor say: the command, its operands, and the
  # options that choose the machine.
  local -a source=() operands=()
  local command='' i w
  for ((i = 1; i < cword; i++)); do
    w=${words[i]}
    case $w in
      --machine | --root)
        source+=("$w" "$(_quelbrin_cli_dequote "${words[i + 1]}")")
        ((i++))
        ;;
      --machine=* | --root=*) source+=("$(_quelbrin_cli_dequote "$w")") ;;
      --all-mount-points) source+=("$w") ;;
      -*) [[ -n ${valued[$w]} ]] && ((i++)) ;;
      *)
        if [[ -z $command ]]; then command=$w; else operands+=("$w"); fi
        ;;
    esac
  done

  # An option's value: a file or a folder.
  if [[ -n ${valued[$prev]} || ($cur == --*=* && -n ${valued[${cur%%=*}]}) ]]; then
    local value=$cur
    [[ $cur == --*=* ]] && value=${cur#*=}
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$(_quelbrin_cli_dequote "$value")")
    return 0
  fi
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "${options[*]}" -- "$cur")
    return 0
  fi
  if [[ -z $command ]]; then
    # The commands are the words the help lists under "Commands:".
    local commands
    commands=$(sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\).*/\1/p' <<<"$help")
    mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
    return 0
  fi
  [[ ${#operands[@]} -eq 0 ]] || return 0
  if [[ $command != show ]]; then
    # A command whose help line gives its operand's choices: "  CMD [a|b]".
    local choices
    choices=$(sed -n "/^Commands:/,/^\$/s/^  $command \\[\\([a-z|]*\\)\\].*/\\1/p" <<<"$help")
    mapfile -t COMPREPLY < <(compgen -W "${choices//|/ }" -- "$cur")
    return 0
  fi

  # A node path, up to the end of the next segment.
  local typed path rest
  typed=$(_quelbrin_cli_dequote "$cur")
  local -A seen=()
  while IFS= read -r path; do
    [[ $path == "$typed"* ]] || continue
    rest=${path:${#typed}}
    [[ $rest == */* ]] && path=${typed}${rest%%/*}/
    [[ -n ${seen[$path]} ]] && continue
    seen[$path]=1
    COMPREPLY+=("$path")
  done < <("$cli" "${source[@]}" paths 2>/dev/null)
  # Readline quotes the spaces, backslashes and parentheses of paths as it does
  # for file names; a path that goes on gets no space after it.
  compopt -o filenames 2>/dev/null
  if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == */ ]]; then
    compopt -o nospace 2>/dev/null
  fi
  # Outside quotes the shell replaces only what follows the word's last colon.
  if [[ $cur != [\'\"]* && $typed == *:* && $COMP_WORDBREAKS == *:* ]]; then
    local head=${typed%"${typed##*:}"}
    for i in "${!COMPREPLY[@]}"; do COMPREPLY[i]=${COMPREPLY[i]#"$head"}; done
  fi
  return 0
}
complete -F _quelbrin_cli quelbrin-cli
