#!/usr/bin/env python3
"""The designer's own tool button icons: writes one SVG per icon, 24 x 24
units, lines on whole or half units so that they stay crisp at 24 and 48
pixels. render.sh turns them into the PNG files the program embeds."""
import os

INK = "#2e3436"
BLUE = "#3465a4"
LIGHTBLUE = "#729fcf"
RED = "#cc0000"
GREEN = "#4e9a06"
YELLOW = "#edd400"
PAPER = "#ffffff"
FONT = "font-family='DejaVu Sans' font-weight='bold'"
SERIF = "font-family='DejaVu Serif' font-weight='bold'"

def magnifier(extra=""):
    return (f"<circle cx='10' cy='10' r='6.5' fill='{PAPER}' stroke='{INK}' stroke-width='2'/>"
            f"<path d='M15 15 L21 21' stroke='{INK}' stroke-width='3' stroke-linecap='round'/>" + extra)

def floppy(extra=""):
    return (f"<path d='M3 3 H18 L21 6 V21 H3 Z' fill='{BLUE}' stroke='{INK}' stroke-width='1' />"
            f"<rect x='6' y='3.5' width='10' height='6' fill='{PAPER}'/>"
            f"<rect x='12' y='4.5' width='2' height='4' fill='{INK}'/>"
            f"<rect x='6' y='13' width='12' height='7.5' fill='{PAPER}'/>"
            f"<path d='M8 15.5 H16 M8 18 H16' stroke='{LIGHTBLUE}' stroke-width='1'/>" + extra)

def lines(xs):
    out = ""
    for i, (x, w) in enumerate(xs):
        y = 5 + i * 4
        out += f"<rect x='{x}' y='{y}' width='{w}' height='2' fill='{INK}'/>"
    return out

def letter(ch, extra="", style="", font=FONT):
    return (f"<text x='12' y='18.5' text-anchor='middle' font-size='17' {font} {style} fill='{INK}'>{ch}</text>"
            + extra)

def arrow(mirror):
    t = "transform='translate(24 0) scale(-1 1)'" if mirror else ""
    return (f"<g {t}><path d='M7 9 H15 A5 5 0 0 1 15 19 H11' fill='none' stroke='{INK}' stroke-width='2.5'"
            f" stroke-linecap='round'/><path d='M2 9 L8 3.5 V14.5 Z' fill='{BLUE}' stroke='{INK}' stroke-width='1'"
            f" stroke-linejoin='round'/></g>")

ICONS = {
    "open": (f"<path d='M2.5 5.5 H9 L11 7.5 H19.5 V19.5 H2.5 Z' fill='{YELLOW}' stroke='{INK}' stroke-width='1'/>"
             f"<path d='M2.5 19.5 L6 11.5 H22.5 L19.5 19.5 Z' fill='#fce94f' stroke='{INK}' stroke-width='1'"
             f" stroke-linejoin='round'/>"),
    "save": floppy(),
    "saveas": floppy(f"<path d='M13 22 L14 18 L21 11 L24 14 L17 21 Z' fill='{YELLOW}' stroke='{INK}'"
                     f" stroke-width='1' stroke-linejoin='round'/>"),
    "labelsize": (f"<rect x='2.5' y='2.5' width='15' height='11' rx='1.5' fill='{PAPER}' stroke='{INK}'/>"
                  f"<circle cx='5.5' cy='5.5' r='1' fill='{INK}'/>"
                  f"<path d='M2 18.5 H18 M2 16.5 V20.5 M18 16.5 V20.5' stroke='{BLUE}' stroke-width='1'/>"
                  f"<path d='M21.5 2 V14 M19.5 2 H23.5 M19.5 14 H23.5' stroke='{BLUE}' stroke-width='1'/>"
                  f"<path d='M5 18.5 L7 17 V20 Z M15 18.5 L13 17 V20 Z M21.5 5 L20 7 H23 Z M21.5 11 L20 9 H23 Z'"
                  f" fill='{BLUE}'/>"),
    "preview": (f"<path d='M3.5 2.5 H13 L17.5 7 V21.5 H3.5 Z' fill='{PAPER}' stroke='{INK}'/>"
                f"<path d='M6 9 H12 M6 12 H10' stroke='{LIGHTBLUE}' stroke-width='1'/>"
                f"<circle cx='14' cy='14' r='4' fill='#d3e5f6' stroke='{INK}' stroke-width='1.5'/>"
                f"<path d='M17 17 L21.5 21.5' stroke='{INK}' stroke-width='2.5' stroke-linecap='round'/>"),
    "zoomin": magnifier(f"<path d='M7 10 H13 M10 7 V13' stroke='{BLUE}' stroke-width='2'/>"),
    "zoomout": magnifier(f"<path d='M7 10 H13' stroke='{BLUE}' stroke-width='2'/>"),
    "undo": arrow(False),
    "redo": arrow(True),
    "alignleft": lines([(3, 18), (3, 12), (3, 16), (3, 9)]),
    "aligncenter": lines([(3, 18), (6, 12), (4, 16), (7.5, 9)]),
    "alignright": lines([(3, 18), (9, 12), (5, 16), (12, 9)]),
    "bold": letter("B"),
    "italic": letter("I", style="font-style='italic'", font=SERIF),
    "underline": letter("U", f"<rect x='5' y='20' width='14' height='2' fill='{BLUE}'/>".replace("y='20'", "y='20.5'")),
    "realsize": (f"<rect x='2.5' y='3.5' width='19' height='17' fill='{PAPER}' stroke='{INK}'/>"
                 f"<text x='12' y='16' text-anchor='middle' font-size='10' {FONT} fill='{BLUE}'>1:1</text>"),
    "stretch": (f"<rect x='6.5' y='6.5' width='11' height='11' fill='#d3e5f6' stroke='{INK}'/>"
                f"<path d='M2 2 L6 2 L2 6 Z M22 2 L18 2 L22 6 Z M2 22 L6 22 L2 18 Z M22 22 L18 22 L22 18 Z'"
                f" fill='{BLUE}'/>"
                f"<path d='M3 3 L6 6 M21 3 L18 6 M3 21 L6 18 M21 21 L18 18' stroke='{BLUE}' stroke-width='1.5'/>"),
    "price": (f"<path d='M2.5 7.5 L7.5 2.5 H21.5 V21.5 H7.5 L2.5 16.5 Z' fill='#fce94f' stroke='{INK}'"
              f" stroke-linejoin='round'/><circle cx='6.5' cy='12' r='1.5' fill='{INK}'/>"
              f"<text x='15' y='16' text-anchor='middle' font-size='10' {FONT} fill='{INK}'>zł</text>"),
    "name": (f"<rect x='2.5' y='4.5' width='19' height='15' fill='{PAPER}' stroke='{INK}'/>"
             f"<text x='12' y='15.5' text-anchor='middle' font-size='10' {FONT} fill='{INK}'>Abc</text>"),
    "unitprice": (f"<text x='12' y='10' text-anchor='middle' font-size='9' {FONT} fill='{INK}'>zł</text>"
                  f"<rect x='3' y='11.5' width='18' height='1.5' fill='{BLUE}'/>"
                  f"<text x='12' y='21.5' text-anchor='middle' font-size='9' {FONT} fill='{INK}'>kg</text>"),
    "lowestprice": (f"<path d='M2.5 7.5 L7.5 2.5 H16.5 V21.5 H7.5 L2.5 16.5 Z' fill='#fce94f' stroke='{INK}'"
                    f" stroke-linejoin='round'/><circle cx='6' cy='12' r='1.5' fill='{INK}'/>"
                    f"<text x='11.5' y='15' text-anchor='middle' font-size='7' {FONT} fill='{INK}'>zł</text>"
                    f"<path d='M20.5 2.5 V16' stroke='{RED}' stroke-width='2.5'/>"
                    f"<path d='M17 15 L20.5 21.5 L24 15 Z' fill='{RED}'/>"),
    "reduction": (f"<path d='M2.5 7.5 L7.5 2.5 H21.5 V21.5 H7.5 L2.5 16.5 Z' fill='#fce94f' stroke='{INK}'"
                  f" stroke-linejoin='round'/><circle cx='6.5' cy='12' r='1.5' fill='{INK}'/>"
                  f"<path d='M10 7.5 H13' stroke='{RED}' stroke-width='2'/>"
                  f"<text x='15.5' y='18' text-anchor='middle' font-size='11' {FONT} fill='{RED}'>%</text>"),
    "barcode": "".join(f"<rect x='{x}' y='4' width='{w}' height='{16 if i % 5 else 18}' fill='{INK}'/>"
                       for i, (x, w) in enumerate([(2, 1), (4, 2), (7, 1), (9, 1), (11, 3), (15, 1), (17, 2),
                                                   (20, 1), (22, 1)])),
    "matrixcode": "".join(
        [f"<rect x='{x + 0.5}' y='{y + 0.5}' width='6' height='6' fill='{PAPER}' stroke='{INK}'/>"
         f"<rect x='{x + 2}' y='{y + 2}' width='3' height='3' fill='{INK}'/>" for x, y in [(2, 2), (15, 2), (2, 15)]]
        + [f"<rect x='{x}' y='{y}' width='2' height='2' fill='{INK}'/>"
           for x, y in [(10, 2), (12, 5), (10, 8), (2, 10), (6, 11), (10, 11), (14, 10), (18, 10), (20, 12),
                        (12, 14), (16, 15), (10, 17), (14, 19), (18, 18), (20, 20), (11, 20)]]),
    "gs1": (f"<rect x='1.5' y='5.5' width='21' height='13' rx='2' fill='{PAPER}' stroke='{INK}'/>"
            f"<text x='12' y='16' text-anchor='middle' font-size='9' {FONT} fill='{BLUE}'>GS1</text>"),
    "text": (f"<rect x='2.5' y='2.5' width='19' height='19' fill='{PAPER}' stroke='{INK}' stroke-dasharray='2 1'/>"
             f"<path d='M6 6 H18 V9 M6 6 V9 M12 6 V18 M9.5 18 H14.5' fill='none' stroke='{INK}' stroke-width='2'/>"),
    "bitmap": (f"<rect x='2.5' y='4.5' width='19' height='15' fill='#d3e5f6' stroke='{INK}'/>"
               f"<circle cx='16.5' cy='9' r='2' fill='{YELLOW}'/>"
               f"<path d='M3 19 L9 11 L13 16 L15.5 13 L21 19 Z' fill='{GREEN}'/>"),
    "delete": (f"<path d='M5 5 L19 19 M19 5 L5 19' stroke='{RED}' stroke-width='3.5' stroke-linecap='round'/>"),
}

here = os.path.dirname(os.path.abspath(__file__))
for name, body in ICONS.items():
    with open(os.path.join(here, name + ".svg"), "w") as f:
        f.write("<svg xmlns='http://www.w3.org/2000/svg' width='24' height='24' viewBox='0 0 24 24'>"
                + body + "</svg>\n")
