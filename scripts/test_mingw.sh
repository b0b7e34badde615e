#!/usr/bin/env bash
# The Windows build: cross-compiles Brimwell with mingw-w64, runs its tests under Wine
# (cmake --workflow --preset mingw) and checks the Windows zip. Installs the cross compiler and Wine with apt-get
# when they are missing; when they cannot be had, says so and exits with 77, "cannot run
# here" (scripts/test.sh skips the stage, or fails it under CI).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! scripts/install_deps.sh g++-mingw-w64-x86-64-posix wine wine64 zip; then
  echo "Could not install the mingw-w64 cross compiler and Wine."
fi
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null; then
  echo "The Windows build cannot run: x86_64-w64-mingw32-g++-posix or wine is missing."
  exit 77
fi

# The window's tests need a display: a virtual one, for this run only.
xvfb_pid=
if command -v Xvfb >/dev/null; then
  display_file=$(mktemp)
  # Xvfb picks a free display number and writes it to descriptor 3 once it is ready.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    if [ -s "$display_file" ]; then break; fi
    sleep 0.1
  done
  if [ -s "$display_file" ]; then export BRIMWELL_WINE_DISPLAY=":$(head -n 1 "$display_file")"; fi
  rm -f "$display_file"
fi

status=0
cmake --workflow --preset mingw || status=$?
if [ "$status" -eq 0 ]; then scripts/check_windows_package.sh build/mingw || status=$?; fi
# The Wine server would otherwise linger for a minute after the last test.
scripts/wine_emulator.sh --stop
if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
exit "$status"
