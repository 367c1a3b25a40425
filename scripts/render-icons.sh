#!/bin/bash
# Renders the desktop program's PNG icons (apps/icons/<n>x<n>.png) from apps/quorlex.svg;
# 16 px comes from apps/icons/quorlex-16.svg, a simplified drawing that stays readable at
# that size. Run it after changing either SVG, and commit the PNGs. Needs rsvg-convert
# (Debian's librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../apps"
command -v rsvg-convert >/dev/null 2>&1 || { echo "error: rsvg-convert not found (librsvg2-bin)" >&2; exit 1; }
for size in 16 32 48 64 128 256; do
  source=quorlex.svg
  [ "$size" -eq 16 ] && source=icons/quorlex-16.svg
  rsvg-convert --width "$size" --height "$size" --output "icons/${size}x${size}.png" "$source"
done
