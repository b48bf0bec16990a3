#!/usr/bin/env python3
"""Draws the pictures of the shared controls into data/img/ (PNG, standard library only).

close.png: the close picture at the right end of a mini frame's caption: a white X with a
dark edge on a transparent 16 x 16 square, so it reads on the orange caption strip.
Run again after changing a drawing; the output is the same on every run.
"""
import os
import struct
import sys
import zlib


def png(width, height, rows):
    """rows: list of lists of (r, g, b, a)."""
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xffffffff)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def close_image():
    size = 16
    clear = (0, 0, 0, 0)
    edge = (120, 60, 0, 255)
    white = (255, 255, 255, 255)
    rows = [[clear] * size for _ in range(size)]

    def on_cross(x, y, width):
        # Distance to either diagonal of the square from (3,3) to (12,12).
        if not (3 - width <= x <= 12 + width and 3 - width <= y <= 12 + width):
            return False
        return abs(x - y) <= width or abs(x + y - 15) <= width

    for y in range(size):
        for x in range(size):
            if on_cross(x, y, 0.5) and 3 <= x <= 12 and 3 <= y <= 12:
                rows[y][x] = white
            elif on_cross(x, y, 1.5) and 2 <= x <= 13 and 2 <= y <= 13:
                rows[y][x] = edge
    return png(size, size, rows)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "data", "img")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "close.png"), "wb") as f:
        f.write(close_image())


if __name__ == "__main__":
    main()
