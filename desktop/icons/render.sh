#!/usr/bin/env bash
# Renders each program's icon (desktop/icons/<program>.svg) as PNG at the sizes desktops look for, into
# desktop/icons/<size>/<program>.png. The PNGs are kept in the sources, so that neither the build nor CI
# needs an SVG renderer; run this again after changing an SVG (needs rsvg-convert, Debian librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
sizes=(16 22 24 32 48 64 128 256)
for svg in *.svg; do
  program=${svg%.svg}
  for size in "${sizes[@]}"; do
    mkdir -p "$size"
    rsvg-convert --width "$size" --height "$size" "$svg" --output "$size/$program.png"
  done
done
