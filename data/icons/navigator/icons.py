#!/usr/bin/env python3
"""The goods list navigator's icons: writes one SVG per icon, 16 x 16 units,
filled edges on whole units and one-unit outlines on half units so that they
stay crisp at 16 and 32 pixels. render.sh turns them into the PNG files the
program embeds."""
import os

INK = "#2e3436"
BLUE = "#3465a4"
GREEN = "#73d216"
DARKGREEN = "#4e9a06"
RED = "#ef2929"
DARKRED = "#a40000"
YELLOW = "#edd400"
WOOD = "#e9b96e"
ALU2 = "#d3d7cf"
PINK = "#ef8a8a"

ARROW = f"fill='{BLUE}'"


def mirrored(body):
    return f"<g transform='translate(16 0) scale(-1 1)'>{body}</g>"


# Triangles with 45-degree sides, which step cleanly from pixel to pixel.
FIRST = f"<rect x='3' y='2' width='3' height='12' {ARROW}/><path d='M13 2 V14 L7 8 Z' {ARROW}/>"
PRIOR = f"<path d='M11 2 V14 L5 8 Z' {ARROW}/>"

ICONS = {
    "first": FIRST,
    "prior": PRIOR,
    "next": mirrored(PRIOR),
    "last": mirrored(FIRST),
    "insert": (f"<path d='M6.5 2.5 H9.5 V6.5 H13.5 V9.5 H9.5 V13.5 H6.5 V9.5 H2.5 V6.5 H6.5 Z' fill='{GREEN}'"
               f" stroke='{DARKGREEN}'/>"),
    "delete": f"<rect x='2.5' y='6.5' width='11' height='3' fill='{RED}' stroke='{DARKRED}'/>",
    # A pencil from the lower left corner to the upper right.
    "edit": (f"<g transform='translate(2 14) rotate(-45)' stroke='{INK}' stroke-width='0.8' stroke-linejoin='round'>"
             f"<path d='M0 0 L3.5 -2 H12 V2 H3.5 Z' fill='{YELLOW}'/>"
             f"<path d='M0 0 L3.5 -2 V2 Z' fill='{WOOD}'/>"
             f"<path d='M0 0 L1.3 -0.75 V0.75 Z' fill='{INK}'/>"
             f"<rect x='12' y='-2' width='1.5' height='4' fill='{ALU2}'/>"
             f"<path d='M13.5 -2 H15 A0.8 0.8 0 0 1 15.8 -1.2 V1.2 A0.8 0.8 0 0 1 15 2 H13.5 Z' fill='{PINK}'/></g>"),
}

here = os.path.dirname(os.path.abspath(__file__))
for name, body in ICONS.items():
    with open(os.path.join(here, name + ".svg"), "w") as f:
        f.write("<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16' viewBox='0 0 16 16'>"
                + body + "</svg>\n")
