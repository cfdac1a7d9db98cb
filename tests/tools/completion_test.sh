#!/usr/bin/env bash
# wubble-render's bash completion as bash-completion runs it: what each
# position offers, in a folder of WAV files, another file and a folder; and
# every option that --help lists is offered somewhere.
#
# completion_test.sh COMPLETION_FILE WUBBLE_RENDER
set -uo pipefail
completion=$(realpath "$1") render=$(realpath "$2")
library=/usr/share/bash-completion/bash_completion
[[ -r $library ]] || { echo "FAILED: bash-completion is not installed ($library)"; exit 1; }
source "$library"
source "$completion"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir sub && touch a.wav B.WAV notes.txt sub/inner.wav

# Complete WORD...: the words after the program's name, the last one being
# completed; prints the offers sorted, on one line.
Complete() {
  COMP_WORDS=(wubble-render "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _wubble_render wubble-render "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
  ((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' '
}

failures=0
Check() {
  local expected=$1
  shift
  local got
  got=$(Complete "$@")
  if [[ $got != "$expected" ]]; then
    echo "FAILED: wubble-render $*| offers '$got', not '$expected'"
    failures=$((failures + 1))
  fi
}

Check '--batch' --b
Check '--batch --help --params --version -h -o' -
Check '--help --params --version -h -o' 9837320 -
Check '--params' 9837320 2 --p
Check 'B.WAV a.wav sub' 9837320 -o ''
Check 'a.wav' 9837320 -o a
Check 'B.WAV a.wav notes.txt sub' --batch ''
Check '-d -j' --batch list -
Check 'sub' --batch list -d ''
Check '' --batch list -j ''
Check '' 98
Check '' 9837320 ''

# An option the program gains must be completed too.
offered=" $(Complete -) $(Complete --batch list -) "
listed=$("$render" --help | grep -oE '(^|[ [|])--?[a-z]+' | tr -d ' [|' | sort -u)
[[ $listed == *--batch* ]] || { echo "FAILED: no options read from wubble-render --help"; exit 1; }
for option in $listed; do
  [[ $offered == *" $option "* ]] || { echo "FAILED: --help lists $option, which is not completed"; failures=$((failures + 1)); }
done

((failures == 0)) && echo "all passed"
exit $((failures > 0))
