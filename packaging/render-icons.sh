#!/usr/bin/env bash
# Re-renders the committed PNG icons from icons/keyword-scout.svg; run it after editing the SVG.
# The PNGs are committed so that building needs no SVG renderer.
#
# rsvg-convert (librsvg2-bin) rasterises at each target size: Debian's ImageMagick has no SVG
# coder of its own and would hand the file to rsvg-convert at 256 px, then scale that down,
# which blurs the 16 and 32 px icons.
set -euo pipefail
cd "$(dirname "$0")/icons"

command -v rsvg-convert >/dev/null || { echo "rsvg-convert missing: apt-get install librsvg2-bin" >&2; exit 1; }

for size in 16 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
        --output "keyword-scout-$size.png" keyword-scout.svg
done
