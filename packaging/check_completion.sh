#!/usr/bin/env bash
# Checks the bash completion of brimwell-cli as Tab meets it, with the brimwell-cli on the
# PATH: commands, a command's options, template names and .fs files after --template,
# folders after census and measure and for a PATH, files after --svg, --list and --save,
# and nothing at all after an option that takes a number or a text.
# Usage: check_completion.sh COMPLETION_FILE
set -euo pipefail
completion=$(realpath "$1")
[ -f /usr/share/bash-completion/bash_completion ] || { echo "bash-completion is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/scratch"
touch "$work/notes.txt" "$work/mine.fs"

cd "$work"
# One line of offers for each line typed, in brackets: an empty one counts too.
offers=$(bash -c '
  source /usr/share/bash-completion/bash_completion
  source "$1"
  shift
  for line in "$@"; do
    COMP_LINE=$line; COMP_POINT=${#line}; read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=()
    _brimwell_cli brimwell-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    echo "[${COMPREPLY[*]}]"
  done' _ "$completion" \
  "brimwell-cli " "brimwell-cli run --t" "brimwell-cli run --template " \
  "brimwell-cli measure " "brimwell-cli measure scratch --svg " "brimwell-cli build --list " \
  "brimwell-cli run --target " \
  "brimwell-cli run --fill " "brimwell-cli run --rounds " "brimwell-cli measure . --probe " \
  "brimwell-cli run --files " "brimwell-cli run --seed " "brimwell-cli sort-out --percent " \
  "brimwell-cli build --prefix " "brimwell-cli build --root ")
mapfile -t lines < <(sed 's/^\[//; s/\]$//' <<<"$offers")

failed=0
expect() { # LINE-NUMBER WORDS...: each word is among the offers of that line
  local number=$1 word
  shift
  for word in "$@"; do
    if [[ " ${lines[$number]} " != *" $word "* ]]; then
      echo "FAIL: line $number offered '${lines[$number]}', not '$word'"
      failed=1
    fi
  done
}
expect 0 census run templates measure
expect 1 --template --target
expect 2 default unix-1993 usr-share mine.fs
expect 3 scratch
expect 4 notes.txt mine.fs
expect 5 notes.txt
expect 6 scratch
if [[ " ${lines[3]} ${lines[6]} " == *notes.txt* ]]; then
  echo "FAIL: a file offered where a folder belongs: ${lines[3]} / ${lines[6]}"
  failed=1
fi
for number in $(seq 7 14); do
  if [ -n "${lines[$number]}" ]; then
    echo "FAIL: line $number offered '${lines[$number]}' for a number or a text"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "Tab completes commands, options, templates, folders and files."
exit "$failed"
