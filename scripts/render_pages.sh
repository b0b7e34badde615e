#!/usr/bin/env bash
# Renders both pages of the main window, every field at its default, to docs/page1.png and
# docs/page2.png, on Qt's offscreen platform (no display needed).
#
# Usage: scripts/render_pages.sh [BUILD_FOLDER]   (default: build/release)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/release}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target brimwell-pages -j2
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$build/src/gui/brimwell-pages" docs
