#!/usr/bin/env bash
# Makes the Windows zip from a mingw build folder and checks it as a user unpacks it:
# the programs (GUI and console subsystems), the templates, the README and the licence
# when the source tree has one, and no DLL that Windows does not ship.
#
#   check_windows_package.sh [build folder]     (default build/mingw)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/mingw}
fail() {
  echo "Windows package: $*" >&2
  exit 1
}

version=$(sed -n 's/^project(Brimwell VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=brimwell-$version-win64
rm -rf "$build/package"
(cd "$build" && cpack -G ZIP) >"$build/cpack-zip.log" 2>&1 || { cat "$build/cpack-zip.log"; fail "cpack"; }
zip=$build/package/$name.zip
[ -f "$zip" ] || fail "no $zip"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 -m zipfile -e "$zip" "$work"
root=$work/$name
expected=(Brimwell.exe brimwell-cli.exe README.txt templates/default.fs)
[ -f LICENSE ] && expected+=(LICENSE.txt)
for file in "${expected[@]}"; do
  [ -f "$root/$file" ] || fail "the zip lacks $name/$file"
done

objdump=x86_64-w64-mingw32-objdump
# The system's own DLLs; anything else (the compiler's runtime, Qt, ICU) would be missing.
shipped='^(KERNEL32|USER32|GDI32|COMCTL32|comdlg32|ADVAPI32|SHELL32|ole32|msvcrt|bcrypt|WS2_32)\.dll$'
for program in Brimwell.exe brimwell-cli.exe; do
  while read -r dll; do
    [[ $dll =~ $shipped ]] || fail "$program needs $dll, which Windows does not ship"
  done < <("$objdump" -p "$root/$program" | sed -n 's/^\s*DLL Name: //p')
done
subsystem() { "$objdump" -p "$root/$1" | sed -n 's/^Subsystem.*(\(.*\))$/\1/p'; }
[ "$(subsystem Brimwell.exe)" = "Windows GUI" ] || fail "Brimwell.exe is not a GUI program"
[ "$(subsystem brimwell-cli.exe)" = "Windows CUI" ] || fail "brimwell-cli.exe is not a console program"
echo "Windows package: $zip ($(du -k "$zip" | cut -f1) KiB) holds ${#expected[@]} checked files; DLLs all from Windows."
