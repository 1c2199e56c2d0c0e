#!/usr/bin/env bash
# Draws the updater's program icon (resource 131): a blue disc with a white arrow
# pointing down into a tray. Run it again after changing the drawing; the PNG is
# checked in beside it.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 64x64 xc:none \
    -fill '#1f5fbf' -stroke '#0d3a80' -strokewidth 2 -draw 'circle 32,32 32,3' \
    -fill white -stroke none \
    -draw 'rectangle 27,12 37,32' \
    -draw 'polygon 18,30 46,30 32,46' \
    -draw 'rectangle 16,48 48,52' \
    -draw 'rectangle 16,42 20,52' -draw 'rectangle 44,42 48,52' \
    PNG32:icon131.png
