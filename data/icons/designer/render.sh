#!/bin/sh
# Draws the designer's icons (icons.py) and renders each at 24 and 48 pixels
# (name.png and name@2x.png) with rsvg-convert (librsvg2-bin).
set -e
cd "$(dirname "$0")"
python3 icons.py
for svg in *.svg; do
  name=${svg%.svg}
  rsvg-convert -w 24 -h 24 "$svg" -o "$name.png"
  rsvg-convert -w 48 -h 48 "$svg" -o "$name@2x.png"
done
