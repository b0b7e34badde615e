#!/usr/bin/env bash
# Builds the Debian package from the ci build and checks it as a user meets it: its
# contents and dependencies, the licence and no placeholder text, the menu entry, AppStream
# metainfo and man pages valid, lintian --pedantic clean but for overrides that give their
# reason; then installs it with apt, checks the file type of templates, runs the installed
# brimwell-cli on the bundled template, Tab completion, man and the window (offscreen, for
# a moment, also opening a template), and removes it again, checking that nothing is left
# behind.
# Run as root after `cmake --workflow --preset ci`. A check that cannot run is skipped
# with a message (exit 77), except under CI=true, where it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/ci
id=org.brimwell.Brimwell

fail() {
  echo "FAIL: $*"
  exit 1
}
cannot_run() {
  if [ "${CI:-}" = true ]; then fail "$*"; fi
  echo "Package check skipped: $*"
  exit 77
}

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian apt-get \
  man timeout xdg-mime mimetype; do
  command -v "$tool" >/dev/null || cannot_run "$tool is not installed"
done
[ -f /usr/share/bash-completion/bash_completion ] || cannot_run "bash-completion is not installed"
[ "$(id -u)" -eq 0 ] || cannot_run "installing the package needs root"
[ -f "$build/CMakeCache.txt" ] || cannot_run "there is no ci build in $build"

work=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" -eq 1 ]; then apt-get purge -y -qq brimwell >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "-- Building the package"
cmake --build "$build" --target brimwell-cli Brimwell brimwell_compressed_docs >/dev/null
rm -rf "$build/package"
(cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(realpath "$build"/package/brimwell_*.deb)
echo "$deb"

echo "-- Version, dependencies and contents"
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
version=$(dpkg-deb -f "$deb" Version)
[[ "$version" == "$project_version"-* ]] || fail "package version $version, project $project_version"
mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
zcat "$work/root/usr/share/doc/brimwell/changelog.Debian.gz" | head -1 |
  grep -qF "brimwell ($version)" || fail "the changelog's newest entry is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6 libicu; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's#^\./#/#; s#/$##' | grep -v '^/usr$' >"$work/contents"
expected=(
  /usr/bin/Brimwell /usr/bin/brimwell /usr/bin/brimwell-cli
  /usr/share/brimwell/templates/default.fs /usr/share/brimwell/templates/usr-share.fs
  /usr/share/brimwell/templates/unix-1993.fs
  "/usr/share/applications/$id.desktop" "/usr/share/metainfo/$id.metainfo.xml"
  "/usr/share/icons/hicolor/scalable/apps/$id.svg" /usr/share/mime/packages/brimwell.xml
  /usr/share/man/man1/brimwell-cli.1.gz /usr/share/man/man1/Brimwell.1.gz
  /usr/share/man/man1/brimwell.1.gz
  /usr/share/bash-completion/completions/brimwell-cli
  /usr/share/doc/brimwell/copyright /usr/share/doc/brimwell/changelog.Debian.gz
  /usr/share/doc/brimwell/README.md.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for path in "${expected[@]}"; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
if grep -v '^/usr/' "$work/contents"; then fail "the package installs outside /usr"; fi

echo "-- Licence, and no placeholder left"
grep -qxF "MIT License" LICENSE && grep -qF "Copyright (c) 2026 the Brimwell authors" LICENSE ||
  fail "LICENSE is not the MIT licence of the Brimwell authors"
copyright=$work/root/usr/share/doc/brimwell/copyright
grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
  "$copyright" || fail "the copyright file is not machine-readable"
[ "$(grep -c '^License: MIT$' "$copyright")" -ge 2 ] || fail "the copyright file lacks License: MIT"
grep -q "^Files: templates/unix-1993.fs" "$copyright" && grep -q "Irlam" "$copyright" ||
  fail "the copyright file does not credit the 1993 survey behind unix-1993"
metainfo=$work/root/usr/share/metainfo/$id.metainfo.xml
for license in metadata_license project_license; do
  grep -qF "<$license>MIT</$license>" "$metainfo" || fail "the metainfo's $license is not MIT"
done
# Every file, uncompressed, and the control fields: no invented address or stand-in text,
# and in text files no @VARIABLE@ left unconfigured.
placeholders='example\.(org|com|net)|all rights reserved|not been chosen|lorem ipsum'
dpkg-deb -f "$deb" >"$work/control"
find "$work/root" -name '*.gz' -type f -exec sh -c 'zcat "$1" >"$1.text"' _ {} \;
found=$( (grep -rliaE "$placeholders" "$work/root" "$work/control" || true
  grep -rlIE '@[A-Z_]+@' "$work/root" "$work/control" || true) | sort -u)
find "$work/root" -name '*.gz.text' -delete
[ -z "$found" ] || fail "placeholder text in: $found"

echo "-- desktop-file-validate, appstreamcli, man, lintian"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" >"$work/desktop.log" 2>&1 ||
  { cat "$work/desktop.log"; fail "desktop-file-validate"; }
if grep -E 'error|warning|hint' "$work/desktop.log"; then fail "desktop-file-validate is not clean"; fi
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli validate"
for page in brimwell-cli Brimwell brimwell; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man1/$page.1.gz" \
    >/dev/null 2>"$work/man.log" || fail "man $page"
  [ ! -s "$work/man.log" ] || { cat "$work/man.log"; fail "man $page warns"; }
done
status=0
lintian --pedantic --display-info --fail-on error,warning,info,pedantic "$deb" \
  >"$work/lintian.log" 2>&1 || status=$?
grep -v '^running with root' "$work/lintian.log" || true
[ "$status" -eq 0 ] || fail "lintian --pedantic reports tags that no override explains"
# Each override says why, in a comment right above it.
overrides=$work/root/usr/share/lintian/overrides/brimwell
awk '/^#/ { reason = 1; next } NF && !reason { print; bad = 1 } !NF { reason = 0 }
  END { exit bad }' "$overrides" ||
  fail "a lintian override above gives no reason"

echo "-- Installing with apt"
installed=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get install"; }
dpkg-query -W -f='${Status}' brimwell | grep -q "install ok installed" || fail "not installed"
icon=$(sed -n 's/^Icon=//p' /usr/share/applications/$id.desktop)
[ -f "/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "the menu's icon $icon is missing"
[ "$(man -w brimwell-cli)" = /usr/share/man/man1/brimwell-cli.1.gz ] || fail "man brimwell-cli"
man -w Brimwell >/dev/null || fail "man Brimwell"

echo "-- The file type of templates and the menu entry that opens them"
type=application/x-brimwell-size-template
cp /usr/share/brimwell/templates/default.fs "$work/template-without-suffix"
for file in /usr/share/brimwell/templates/default.fs "$work/template-without-suffix"; do
  [ "$(xdg-mime query filetype "$file")" = "$type" ] ||
    fail "xdg-mime gives $(xdg-mime query filetype "$file") for $file"
done
[ "$(xdg-mime query default "$type")" = "$id.desktop" ] ||
  fail "xdg-mime query default $type gives '$(xdg-mime query default "$type")'"

echo "-- The installed brimwell-cli"
command -v brimwell-cli | grep -qx /usr/bin/brimwell-cli || fail "brimwell-cli is not on the PATH"
/usr/bin/brimwell-cli templates | tee "$work/templates.log"
grep -qx "in /usr/share/brimwell/templates" "$work/templates.log" ||
  fail "the installed brimwell-cli does not use the installed templates"
(cd "$work" && /usr/bin/brimwell-cli run --template default --target "$work/target/" \
  --files 500 --yes) >"$work/run.log" 2>&1 || { cat "$work/run.log"; fail "brimwell-cli run"; }
tail -2 "$work/run.log"
left=$(find "$work/target" -type f | wc -l)
deleted=$(sed -n 's/^Deleted \([0-9]*\) of them.*/\1/p' "$work/run.log")
if [ -z "$deleted" ] || [ "$deleted" -eq 0 ] || [ "$left" -ne $((500 - deleted)) ]; then
  fail "run left $left files after deleting ${deleted:-none} of 500"
fi
completions=$(bash -c 'source /usr/share/bash-completion/bash_completion
  __load_completion brimwell-cli || exit 1
  COMP_WORDS=(brimwell-cli ""); COMP_CWORD=1; COMP_LINE="brimwell-cli "; COMP_POINT=13
  _brimwell_cli brimwell-cli "" brimwell-cli; echo "${COMPREPLY[*]}"') ||
  fail "bash does not load the completion of brimwell-cli"
for command in census run templates; do
  [[ " $completions " == *" $command "* ]] || fail "Tab after brimwell-cli offers: $completions"
done
bash packaging/check_completion.sh /usr/share/bash-completion/completions/brimwell-cli ||
  fail "the installed completion"

echo "-- The installed window, offscreen for a moment"
status=0
(cd "$work" && QT_QPA_PLATFORM=offscreen timeout 4 /usr/bin/Brimwell) >"$work/window.log" 2>&1 ||
  status=$?
[ "$status" -eq 124 ] || { cat "$work/window.log"; fail "the window ended by itself (status $status)"; }
# Opened from the menu with a template, under its lower-case name.
status=0
(cd "$work" && QT_QPA_PLATFORM=offscreen timeout 4 /usr/bin/brimwell \
  /usr/share/brimwell/templates/default.fs) >"$work/window.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$work/window.log"; fail "brimwell FILE.fs ended (status $status)"; }
status=0
QT_QPA_PLATFORM=offscreen /usr/bin/brimwell a.fs b.fs >/dev/null 2>"$work/window.log" || status=$?
[ "$status" -eq 2 ] && grep -q "^Usage: Brimwell" "$work/window.log" ||
  fail "brimwell with two files: status $status, $(cat "$work/window.log")"

echo "-- Removing the package"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq brimwell >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get purge"; }
installed=0
if dpkg-query -W -f='${Status}' brimwell 2>/dev/null | grep -q installed; then
  fail "brimwell is still installed"
fi
while read -r path; do
  # Shared folders such as /usr/share/man stay; every path of the package's own goes.
  if [[ "$path" == *rimwell* && -e "$path" ]]; then fail "$path was left behind"; fi
done <"$work/contents"
echo "The package builds, validates, installs, runs and removes cleanly."
