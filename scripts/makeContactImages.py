#!/usr/bin/env python3
"""Draws the contacts list's pictures into data/img/ (standard library only).

roomgreen.png / roomempty.png: the private-room icon of a contact row, a small speech bubble,
green when a private room with the contact is open, an empty outline otherwise (16 x 16).
mars.png / venus.png / nogender.png: the gender signs of the details line (12 x 12).
treeopened.xpm / treeclosed.xpm: the fold icon of a block's header, a triangle pointing down
(opened) or right (folded), 12 x 12.
Run again after changing a drawing; the output is the same on every run.
"""
import importlib.util
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location("make_images", os.path.join(HERE, "make-images.py"))
make_images = importlib.util.module_from_spec(spec)
spec.loader.exec_module(make_images)
png = make_images.png

CLEAR = (0, 0, 0, 0)
DARK = (60, 60, 60, 255)
GREEN = (70, 160, 40, 255)
BLUE = (40, 90, 200, 255)
PINK = (200, 50, 120, 255)
GREY = (150, 150, 150, 255)


def bubble(fill):
    size = 16
    rows = [[CLEAR] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            # An ellipse from (1,2) to (14,11), with a tail at the bottom left.
            dx, dy = (x - 7.5) / 6.5, (y - 6.5) / 4.5
            d = dx * dx + dy * dy
            tail = 10 <= y <= 14 and 3 <= x <= 6 and x - 3 <= 14 - y
            if d <= 1.0 or tail:
                edge = d > 0.7 and not tail
                rows[y][x] = DARK if edge or (tail and fill is None) else (fill or CLEAR)
                if fill is None and not edge and not tail:
                    rows[y][x] = (255, 255, 255, 255)
    return png(size, size, rows)


def sign(colour, kind):
    size = 12
    rows = [[CLEAR] * size for _ in range(size)]
    cx, cy, r = (4.5, 7.5, 3.2) if kind == "mars" else (6.0, 4.5, 3.2)
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - cx, y - cy)
            if abs(d - r) < 0.8:
                rows[y][x] = colour
    if kind == "mars":
        for i in range(4):
            rows[4 - i][7 + i] = colour
        for x in range(8, 11):
            rows[1][x] = colour
        for y in range(1, 4):
            rows[y][10] = colour
    elif kind == "venus":
        for y in range(8, 12):
            rows[y][6] = colour
        for x in range(4, 9):
            rows[10][x] = colour
    else:
        for y in range(2, 7):
            rows[y][6] = colour
        rows[9][6] = colour
    return png(size, size, rows)


def xpm(name, down):
    size = 12
    lines = []
    for y in range(size):
        row = ""
        for x in range(size):
            if down:
                inside = 3 <= y <= 8 and abs(x - 5.5) <= (8 - y) + 0.5 and y >= 3
            else:
                inside = 3 <= x <= 8 and abs(y - 5.5) <= (8 - x) + 0.5
            row += "#" if inside else "."
        lines.append(row)
    body = ",\n".join('"%s"' % line for line in lines)
    return ('/* XPM */\nstatic const char *%s[] = {\n"%d %d 2 1",\n". c None",\n"# c #404040",\n%s};\n'
            % (name, size, size, body))


def main():
    out = os.path.join(HERE, "..", "data", "img")
    files = {
        "roomgreen.png": bubble(GREEN),
        "roomempty.png": bubble(None),
        "mars.png": sign(BLUE, "mars"),
        "venus.png": sign(PINK, "venus"),
        "nogender.png": sign(GREY, "none"),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    for name, down in (("treeopened", True), ("treeclosed", False)):
        with open(os.path.join(out, name + ".xpm"), "w") as f:
            f.write(xpm(name, down))


if __name__ == "__main__":
    main()
