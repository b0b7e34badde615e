#!/usr/bin/env bash
# Pictures of both pages of the Windows window under Wine, every field at its default:
# docs/win32-page1.png and docs/win32-page2.png. Runs Brimwell.exe of the mingw build in a
# Wine desktop window (which draws the title bar) on a virtual display, clicks the second
# tab, and takes the screen each time (Xvfb, xdotool, xwd and ImageMagick).
#
# Usage: scripts/render_windows_pages.sh [BUILD_FOLDER]   (default: build/mingw)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/mingw}")

if [ -z "${BRIMWELL_WINE_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x800x24" env BRIMWELL_WINE_DISPLAY=set "$0" "$build"
fi
export BRIMWELL_WINE_DISPLAY=$DISPLAY
take() { xwd -root -silent | convert xwd:- -crop 698x722+31+30 +repage "docs/win32-page$1.png"; }

scripts/wine_emulator.sh explorer /desktop=Brimwell,760x780 "$build/src/gui/win32/Brimwell.exe" &
sleep 12
take 1
xdotool mousemove --sync 295 73 click 1  # the second page's tab
sleep 2
take 2
scripts/wine_emulator.sh --stop
wait
