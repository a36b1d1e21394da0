#!/bin/sh
# Draws the menu panel's icons at 32 and 64 pixels.
exec "$(dirname "$0")/../render.sh" "$(dirname "$0")" 32
