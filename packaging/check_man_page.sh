#!/usr/bin/env bash
# Checks that the man page keeps step with the program: every command of `brimwell-cli
# --help` has an entry in COMMANDS, and every option of `--help` and `COMMAND --help`
# is described in OPTIONS.
# Usage: check_man_page.sh BRIMWELL_CLI MAN_PAGE
set -euo pipefail
cli=$1
page=$2

# The page as plain text: "\-" is "-", font changes are dropped.
text=$(sed 's/\\-/-/g; s/\\f[BIRP]//g' "$page")
section() { awk -v name="$1" '/^\.SH / { on = ($2 == name) } on' <<<"$text"; }
commands_section=$(section COMMANDS)
options_section=$(section OPTIONS)

options_of() { "$cli" "$@" --help | grep -oE -- '(^|[ ,])-(-[a-z][a-z-]*|[a-z])\b' | tr -d ' ,'; }

missing=0
commands=$("$cli" --help | awk '/^(Subcommands|Commands):/ { on = 1; next } on && NF == 0 { on = 0 } on { print $1 }')
[ -n "$commands" ] || { echo "no commands found in '$cli --help'"; exit 1; }
for command in $commands; do
  if ! grep -qE "^\.B $command( |$)" <<<"$commands_section"; then
    echo "$page: the command '$command' has no entry under COMMANDS"
    missing=1
  fi
done
for option in $( (options_of; for command in $commands; do options_of "$command"; done) | sort -u); do
  if ! grep -qE -- "(^|[ \"])$option([ \",]|$)" <<<"$options_section"; then
    echo "$page: the option '$option' is not described under OPTIONS"
    missing=1
  fi
done
[ "$missing" -eq 0 ] && echo "Every command and option of $cli --help is in $page."
exit "$missing"
