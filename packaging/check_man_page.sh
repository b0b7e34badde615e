#!/usr/bin/env bash
# Checks that the man pages keep step with the programs: every command of `brimwell-cli
# --help` has an entry in COMMANDS and a line in SYNOPSIS that names each of its options;
# every option of `--help` and `COMMAND --help` is described in OPTIONS; every command has
# an example, and the examples of --help use bundled templates by name; every exit code
# that --help names is under EXIT STATUS; every bundled template is named under FILES of
# both pages; and Brimwell(1) has what `Brimwell --help` shows. Both pages have all the
# usual sections.
# Usage: check_man_page.sh BRIMWELL_CLI CLI_PAGE WINDOW_PAGE TEMPLATE_FOLDER [BRIMWELL]
set -euo pipefail
cli=$1
page=$2
window_page=$3
templates=$4
window=${5:-}

missing=0
complain() {
  echo "$*"
  missing=1
}

# A page as plain text: "\-" is "-", font changes are dropped.
plain() { sed 's/\\-/-/g; s/\\f[BIRP]//g' "$1"; }
text=$(plain "$page")
window_text=$(plain "$window_page")
section() { awk -v name="$1" '/^\.SH / { on = (substr($0, 5) == name) } on' <<<"$2"; }
commands_section=$(section COMMANDS "$text")
options_section=$(section OPTIONS "$text")

for name in "$page" "$window_page"; do
  content=$([ "$name" = "$page" ] && echo "$text" || echo "$window_text")
  for wanted in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES \
    "SEE ALSO"; do
    grep -qxF ".SH $wanted" <<<"$content" || complain "$name: there is no section $wanted"
  done
  # Every bundled template by name.
  for template in "$templates"/*.fs; do
    template=$(basename "$template" .fs)
    grep -qw -- "$template" <<<"$(section FILES "$content")" ||
      complain "$name: the template '$template' is not named under FILES"
  done
done

options_of() { "$cli" "$@" --help | grep -oE -- '(^|[ ,])-(-[a-z][a-z-]*|[a-z])\b' | tr -d ' ,'; }

commands=$("$cli" --help | awk '/^(Subcommands|Commands):/ { on = 1; next } on && NF == 0 { on = 0 } on { print $1 }')
[ -n "$commands" ] || { echo "no commands found in '$cli --help'"; exit 1; }
synopsis=$(section SYNOPSIS "$text" | tail -n +2 | tr '\n' ' ' | sed 's/\.br /\n/g')
# The long options of a command's Options block.
long_options_of() {
  "$cli" "$1" --help | sed -n 's/^ *\(-[a-z],\)\{0,1\}\(--[a-z][a-z-]*\).*/\2/p'
}
for command in $commands; do
  grep -qE "^\.B $command( |$)" <<<"$commands_section" ||
    complain "$page: the command '$command' has no entry under COMMANDS"
  line=$(grep -E "^\.B brimwell-cli $command " <<<"$synopsis" || true)
  [ -n "$line" ] || complain "$page: the command '$command' has no line in SYNOPSIS"
  for option in $(long_options_of "$command" | grep -vx -- '--help'); do
    [[ -z "$line" || " $line " == *" $option "* ]] ||
      complain "$page: SYNOPSIS of '$command' lacks $option"
  done
done
examples=$(section EXAMPLES "$text")
for command in $commands; do
  grep -qF -- "brimwell-cli $command" <<<"$examples" ||
    complain "$page: no example under EXAMPLES runs '$command'"
  # An example of --help works wherever the program is installed: a template by name.
  for used in $("$cli" "$command" --help | grep '^  brimwell-cli ' |
    grep -oE -- '--template [^ ]+' | cut -d' ' -f2); do
    [ -f "$templates/$used.fs" ] ||
      complain "$cli $command --help: the example's --template $used is not a bundled name"
  done
done
for option in $( (options_of; for command in $commands; do options_of "$command"; done) | sort -u); do
  grep -qE -- "(^|[ \"])$option([ \",]|$)" <<<"$options_section" ||
    complain "$page: the option '$option' is not described under OPTIONS"
done
exit_status=$(section "EXIT STATUS" "$text")
for code in $("$cli" --help | sed -n '/^Exit codes:/,$p' | grep -oE '(^|[ ,:])[0-9] ' | tr -d ' ,:'); do
  grep -qx ".B $code" <<<"$exit_status" || complain "$page: exit code $code is not under EXIT STATUS"
done

if [ -n "$window" ]; then
  usage=$("$window" --help | head -n 1)
  window_synopsis=$(section SYNOPSIS "$window_text" | tr '\n' ' ')
  for word in $(grep -oE '\[[^]]*\]' <<<"${usage#Usage: Brimwell }" | tr -d '[]' | tr ' ' '_'); do
    [[ "$window_synopsis" == *"${word//_/ }"* ]] ||
      complain "$window_page: SYNOPSIS lacks '${word//_/ }' of: $usage"
  done
  grep -qF -- '--help' <<<"$(section OPTIONS "$window_text")" ||
    complain "$window_page: --help is not under OPTIONS"
  grep -qx ".B 2" <<<"$(section "EXIT STATUS" "$window_text")" ||
    complain "$window_page: exit status 2 (a refused command line) is not under EXIT STATUS"
fi

[ "$missing" -eq 0 ] && echo "$page and $window_page keep step with the programs and templates."
exit "$missing"
