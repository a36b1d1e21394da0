#!/bin/sh
# Draws one folder's icons (its icons.py) and renders each at SIZE and twice
# SIZE pixels (name.png and name@2x.png) with rsvg-convert (librsvg2-bin):
#   data/icons/render.sh FOLDER SIZE
set -e
cd "$1"
python3 icons.py
for svg in *.svg; do
  name=${svg%.svg}
  rsvg-convert -w "$2" -h "$2" "$svg" -o "$name.png"
  rsvg-convert -w $(($2 * 2)) -h $(($2 * 2)) "$svg" -o "$name@2x.png"
done
