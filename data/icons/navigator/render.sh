#!/bin/sh
# Draws the navigator's icons at 16 and 32 pixels.
exec "$(dirname "$0")/../render.sh" "$(dirname "$0")" 16
