#!/bin/sh
# Draws the navigator's icons (icons.py) and renders each at 16 and 32
# pixels (name.png and name@2x.png) with rsvg-convert (librsvg2-bin).
set -e
cd "$(dirname "$0")"
python3 icons.py
for svg in *.svg; do
  name=${svg%.svg}
  rsvg-convert -w 16 -h 16 "$svg" -o "$name.png"
  rsvg-convert -w 32 -h 32 "$svg" -o "$name@2x.png"
done
