#!/usr/bin/env bash
# Renders the PNG sizes of the menu icon from its SVG (rsvg-convert, from librsvg2-bin).
# The PNGs are kept in the repository, so only a change of the SVG needs this run again.
set -euo pipefail
cd "$(dirname "$0")/icons/hicolor"

svg=scalable/apps/org.brimwell.Brimwell.svg
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" "$svg" \
    --output "${size}x${size}/apps/org.brimwell.Brimwell.png"
done
