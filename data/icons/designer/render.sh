#!/bin/sh
# Draws the designer's icons at 24 and 48 pixels.
exec "$(dirname "$0")/../render.sh" "$(dirname "$0")" 24
