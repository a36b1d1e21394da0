#!/usr/bin/env python3
"""The icons of the main window's menu panel: writes one SVG per icon, 32 x 32
units, straight lines on whole or half units so that they stay crisp at 32
and 64 pixels. The panel is painted in the selection colour (a mid blue on
most desktops), so the shapes are light or yellow with a dark outline rather
than blue. render.sh turns them into the PNG files the program embeds."""
import math
import os

INK = "#2e3436"
PAPER = "#ffffff"
ALU1 = "#eeeeec"
ALU2 = "#d3d7cf"
ALU4 = "#888a85"
YELLOW = "#edd400"
LIGHTYELLOW = "#fce94f"
GREEN = "#73d216"
WOOD = "#e9b96e"
PINK = "#ef8a8a"


def pt(x, y):
    return f"{x:.2f} {y:.2f}"


def ring(cx, cy, r, hole_cx, hole_cy, hole_r, fill):
    """A disc with a round hole through which the panel shows."""
    def circle(x, y, rr):
        return (f"M{pt(x - rr, y)} A{rr} {rr} 0 1 0 {pt(x + rr, y)} A{rr} {rr} 0 1 0 {pt(x - rr, y)} Z")
    return (f"<path d='{circle(cx, cy, r)} {circle(hole_cx, hole_cy, hole_r)}' fill='{fill}'"
            f" fill-rule='evenodd' stroke='{INK}'/>")


def pencil(tip_x, tip_y, length, width, angle):
    """A pencil lying at angle degrees (0: pointing left, counter-clockwise
    tilts the back end up), its point at (tip_x, tip_y)."""
    h = width / 2
    wood = length * 0.22
    ferrule = length * 0.78
    rubber = length * 0.88
    return (f"<g transform='translate({tip_x} {tip_y}) rotate({-angle})' stroke='{INK}' stroke-linejoin='round'>"
            f"<path d='M0 0 L{wood} {-h} H{ferrule} V{h} H{wood} Z' fill='{YELLOW}'/>"
            f"<path d='M0 0 L{wood} {-h} V{h} Z' fill='{WOOD}'/>"
            f"<path d='M0 0 L{wood * 0.4} {-h * 0.4} V{h * 0.4} Z' fill='{INK}'/>"
            f"<rect x='{ferrule}' y='{-h}' width='{rubber - ferrule}' height='{width}' fill='{ALU2}'/>"
            f"<path d='M{rubber} {-h} H{length - 1} A1 1 0 0 1 {length} {1 - h} V{h - 1} A1 1 0 0 1 {length - 1} {h}"
            f" H{rubber} Z' fill='{PINK}'/></g>")


def circular_arrows(cx, cy, r, width, colour):
    """Two arrows chasing each other round a circle, clockwise."""
    outline, body = "", ""
    for start in (200, 20):
        a0, a1 = math.radians(start), math.radians(start + 125)
        p0 = (cx + r * math.cos(a0), cy + r * math.sin(a0))
        p1 = (cx + r * math.cos(a1), cy + r * math.sin(a1))
        arc = f"M{pt(*p0)} A{r} {r} 0 0 1 {pt(*p1)}"
        n = (math.cos(a1), math.sin(a1))      # outwards
        d = (-math.sin(a1), math.cos(a1))     # along the arrow
        half, reach = width * 1.35, width * 1.6
        head = (f"M{pt(p1[0] + half * n[0], p1[1] + half * n[1])} L{pt(p1[0] + reach * d[0], p1[1] + reach * d[1])}"
                f" L{pt(p1[0] - half * n[0], p1[1] - half * n[1])} Z")
        outline += (f"<path d='{arc}' fill='none' stroke='{INK}' stroke-width='{width + 2}'/>"
                    f"<path d='{head}' fill='{INK}' stroke='{INK}' stroke-width='2' stroke-linejoin='round'/>")
        body += (f"<path d='{arc}' fill='none' stroke='{colour}' stroke-width='{width}'/>"
                 f"<path d='{head}' fill='{colour}'/>")
    return outline + body


def gear(cx, cy, teeth, outer, body, half_tooth, hole):
    """Square teeth round a disc; the upright and level ones land on half
    units and stay sharp."""
    base = math.sqrt(body * body - half_tooth * half_tooth)
    d, first = "", ""
    for i in range(teeth):
        a = -math.pi / 2 + i * 2 * math.pi / teeth
        u, t = (math.cos(a), math.sin(a)), (-math.sin(a), math.cos(a))
        corners = [(base, -half_tooth), (outer, -half_tooth), (outer, half_tooth), (base, half_tooth)]
        xy = [pt(cx + r * u[0] + s * t[0], cy + r * u[1] + s * t[1]) for r, s in corners]
        first = first or xy[0]
        d += ("M" if i == 0 else f"A{body} {body} 0 0 1 ") + xy[0] + " L" + " L".join(xy[1:]) + " "
    d += f"A{body} {body} 0 0 1 {first} Z"
    d += f" M{pt(cx - hole, cy)} A{hole} {hole} 0 1 0 {pt(cx + hole, cy)} A{hole} {hole} 0 1 0 {pt(cx - hole, cy)} Z"
    return (f"<path d='{d}' fill='{ALU2}' fill-rule='evenodd' stroke='{INK}' stroke-linejoin='round'/>"
            f"<circle cx='{cx}' cy='{cy}' r='{hole + 3}' fill='none' stroke='{ALU4}'/>")


def asterisk(cx, cy, arm):
    d = ""
    for a in (90, 30, 150):
        dx, dy = arm * math.cos(math.radians(a)), arm * math.sin(math.radians(a))
        d += f"M{pt(cx - dx, cy - dy)} L{pt(cx + dx, cy + dy)} "
    return f"<path d='{d}' stroke='{INK}' stroke-width='1.5' stroke-linecap='round'/>"


ICONS = {
    # The goods list and its printing: a printer putting out a sheet of labels.
    "print": (f"<rect x='8.5' y='2.5' width='15' height='10' fill='{PAPER}' stroke='{INK}'/>"
              f"<path d='M11 5.5 H21 M11 8.5 H18' stroke='{ALU4}'/>"
              f"<rect x='2.5' y='10.5' width='27' height='13' rx='2' fill='{ALU2}' stroke='{INK}'/>"
              f"<path d='M4 12.5 H28' stroke='{ALU1}'/>"
              f"<rect x='24' y='14' width='3' height='2' fill='{GREEN}'/>"
              f"<path d='M5 19.5 H27' stroke='{INK}'/>"
              f"<rect x='7.5' y='19.5' width='17' height='10' fill='{PAPER}' stroke='{INK}'/>"
              f"<path d='M9 21 h6 v3 h-6 Z M17 21 h6 v3 h-6 Z M9 25 h6 v3 h-6 Z M17 25 h6 v3 h-6 Z'"
              f" fill='{LIGHTYELLOW}' stroke='{YELLOW}' stroke-width='0.5'/>"),
    # Fetching the goods from the shop's database: arrows round a cylinder.
    "refresh": (f"<path d='M3.5 7 V24 A9 3.5 0 0 0 21.5 24 V7' fill='{ALU2}' stroke='{INK}'/>"
                f"<ellipse cx='12.5' cy='7' rx='9' ry='3.5' fill='{ALU1}' stroke='{INK}'/>"
                f"<path d='M3.5 13 A9 3.5 0 0 0 21.5 13 M3.5 18.5 A9 3.5 0 0 0 21.5 18.5' fill='none'"
                f" stroke='{INK}'/>"
                + circular_arrows(22.5, 22.5, 6, 2.5, GREEN)),
    # Logging in and out: a padlock.
    "login": (f"<path d='M10.5 15 V10.5 A5.5 5.5 0 0 1 21.5 10.5 V15' fill='none' stroke='{INK}' stroke-width='5'/>"
              f"<path d='M10.5 15 V10.5 A5.5 5.5 0 0 1 21.5 10.5 V15' fill='none' stroke='{ALU2}' stroke-width='3'/>"
              f"<rect x='5.5' y='14.5' width='21' height='15' rx='2' fill='{YELLOW}' stroke='{INK}'/>"
              f"<path d='M7 16.5 H25' stroke='{LIGHTYELLOW}'/>"
              f"<circle cx='16' cy='21' r='2.5' fill='{INK}'/><rect x='15' y='22' width='2' height='5' fill='{INK}'/>"),
    # The label's layout: a label and a pencil.
    "project": (f"<rect x='1.5' y='3.5' width='25' height='20' rx='2' fill='{PAPER}' stroke='{INK}'/>"
                f"<path d='M5 8.5 H21' stroke='{ALU4}'/>"
                f"<rect x='5' y='11' width='10' height='5' fill='#cc0000'/>"
                f"<path d='M5 19 V21 M7 19 V21 M8 19 V21 M10 19 V21 M13 19 V21 M14 19 V21' stroke='{INK}'/>"
                + pencil(13, 28, 21, 5, 45)),
    # The configuration: a gear.
    "configuration": gear(16, 16, 8, 14.5, 11, 3.5, 4.5),
    # A new password: a password field and a key.
    "changepassword": (f"<rect x='1.5' y='2.5' width='29' height='12' rx='2' fill='{PAPER}' stroke='{INK}'/>"
                       + asterisk(7.5, 8.5, 3.25) + asterisk(16, 8.5, 3.25) + asterisk(24.5, 8.5, 3.25)
                       + f"<path d='M12 19.5 H29.5 V26.5 H26.5 V22.5 H24.5 V25.5 H21.5 V22.5 H12 Z' fill='{YELLOW}'"
                         f" stroke='{INK}'/>"
                       + ring(9, 21, 6.5, 7, 21, 2, YELLOW)),
}

here = os.path.dirname(os.path.abspath(__file__))
for name, body in ICONS.items():
    with open(os.path.join(here, name + ".svg"), "w") as f:
        f.write("<svg xmlns='http://www.w3.org/2000/svg' width='32' height='32' viewBox='0 0 32 32'>"
                + body + "</svg>\n")
