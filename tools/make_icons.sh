#!/usr/bin/env bash
# Renders the program's icon (data/icons/prandel-etykiet.svg) into the PNG
# sizes of the hicolor theme, for desktops and for the window icon of a
# program that is not installed. Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
for size in 16 24 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" prandel-etykiet.svg -o "hicolor/${size}x${size}/apps/prandel-etykiet.png"
done
