#!/usr/bin/env bash
# Makes the Windows program's icon (windows/brimwell.ico) from the menu icon's PNG sizes,
# which render_icons.sh renders from the SVG (icotool, from icoutils). The .ico is kept
# in the repository, so only a change of the SVG needs this run again.
set -euo pipefail
cd "$(dirname "$0")"

pngs=()
for size in 16 24 32 48 256; do
  pngs+=("icons/hicolor/${size}x${size}/apps/org.brimwell.Brimwell.png")
done
# The largest as PNG inside the icon, as Windows reads it; the small ones as bitmaps.
icotool --create --output windows/brimwell.ico "${pngs[@]:0:4}" --raw "${pngs[4]}"
