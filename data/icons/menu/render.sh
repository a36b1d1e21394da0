#!/bin/sh
# Draws the menu panel's icons (icons.py) and renders each at 32 and 64
# pixels (name.png and name@2x.png) with rsvg-convert (librsvg2-bin).
set -e
cd "$(dirname "$0")"
python3 icons.py
for svg in *.svg; do
  name=${svg%.svg}
  rsvg-convert -w 32 -h 32 "$svg" -o "$name.png"
  rsvg-convert -w 64 -h 64 "$svg" -o "$name@2x.png"
done
