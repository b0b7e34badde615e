#!/usr/bin/env bash
# Installs a build into a temporary prefix with `cmake --install` and checks the result:
# every file where the menu, man and bash look for it, the bundled templates found by
# name from the installed program (not from the source tree), a copy of the program
# with no templates beside it saying so, and Tab completion (check_completion.sh).
# Usage: check_install.sh BUILD_FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/usr
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
  bin/brimwell-cli
  share/brimwell/templates/default.fs
  share/brimwell/templates/usr-share.fs
  share/man/man1/brimwell-cli.1.gz
  share/bash-completion/completions/brimwell-cli
  share/doc/brimwell/copyright
  share/doc/brimwell/changelog.Debian.gz
  share/doc/brimwell/README.md.gz
)
if [ -e "$build/src/gui/Brimwell" ]; then
  expected+=(
    bin/Brimwell
    bin/brimwell
    share/man/man1/Brimwell.1.gz
    share/mime/packages/brimwell.xml
    share/applications/org.brimwell.Brimwell.desktop
    share/metainfo/org.brimwell.Brimwell.metainfo.xml
    share/icons/hicolor/scalable/apps/org.brimwell.Brimwell.svg
    share/icons/hicolor/48x48/apps/org.brimwell.Brimwell.png
  )
fi
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "cmake --install did not install $file"
done
gzip -t "$prefix/share/man/man1/brimwell-cli.1.gz"

# The installed program lists and uses the installed templates.
listing=$("$prefix/bin/brimwell-cli" templates)
grep -qx "in $prefix/share/brimwell/templates" <<<"$listing" || fail "templates said: $listing"
grep -qE '^default +census of Debian 12 /usr, [0-9-]+ \(23 size classes, [0-9]+ files\)$' \
  <<<"$listing" || fail "templates said: $listing"
grep -qE '^usr-share +census of Debian 12 /usr/share,' <<<"$listing" || fail "templates said: $listing"
(cd "$work" && "$prefix/bin/brimwell-cli" build --template usr-share --list list.txt \
  --target "$work/t/" --files 30 --seed 1 >/dev/null 2>&1) || fail "build --template usr-share"
[ "$(grep -vc "^#" "$work/list.txt")" -eq 30 ] || fail "build --template usr-share listed the wrong count"

# A copy outside the build folder with no templates beside it finds none, and says so.
mkdir "$work/elsewhere"
cp "$prefix/bin/brimwell-cli" "$work/elsewhere/"
status=0
"$work/elsewhere/brimwell-cli" templates >/dev/null 2>"$work/err" || status=$?
if [ "$status" -ne 1 ] || ! grep -q "No bundled templates were found" "$work/err"; then
  fail "a copy with no templates: exit $status, $(cat "$work/err")"
fi
status=0
"$work/elsewhere/brimwell-cli" run --template default --target "$work/t/" --yes \
  >/dev/null 2>"$work/err" || status=$?
if [ "$status" -ne 2 ] || ! grep -q "'default' is neither a file nor a bundled" "$work/err"; then
  fail "a copy with no templates ran --template default: exit $status, $(cat "$work/err")"
fi

# Tab completion, with the installed brimwell-cli.
status=0
PATH="$prefix/bin:$PATH" bash "$(dirname "$0")/check_completion.sh" \
  "$prefix/share/bash-completion/completions/brimwell-cli" || status=$?
if [ "$status" -eq 77 ] && [ "${CI:-}" = true ]; then
  fail "bash-completion is not installed"
elif [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
  fail "Tab completion"
fi
echo "The install in $prefix is complete and finds its templates."
