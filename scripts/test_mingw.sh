#!/usr/bin/env bash
# The Windows build: cross-compiles Brimwell with mingw-w64 and runs its tests under Wine
# (cmake --workflow --preset mingw). Installs the cross compiler and Wine with apt-get
# when they are missing; when they cannot be had, says so and exits with 77, "cannot run
# here" (scripts/test.sh skips the stage, or fails it under CI).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! scripts/install_deps.sh g++-mingw-w64-x86-64-posix wine wine64; then
  echo "Could not install the mingw-w64 cross compiler and Wine."
fi
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null; then
  echo "The Windows build cannot run: x86_64-w64-mingw32-g++-posix or wine is missing."
  exit 77
fi

status=0
cmake --workflow --preset mingw || status=$?
# The Wine server would otherwise linger for a minute after the last test.
scripts/wine_emulator.sh --stop
exit "$status"
