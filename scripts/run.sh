#!/usr/bin/env bash
# Builds Brimwell and runs it: the window when there is a display, otherwise the main job
# on the command line (build a file set from the bundled template, write it, fragment it).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target Brimwell brimwell-cli

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/src/gui/Brimwell
fi
echo "No display found: running the command-line main job instead (the window needs X11 or Wayland;"
echo "try 'xvfb-run scripts/run.sh' or run it on a desktop)."
exec scripts/main_job.sh build/release
