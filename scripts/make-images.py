#!/usr/bin/env python3
"""Draws the program's own pictures into data/ (PNG and ICO, standard library only).

img/close.png: the close picture at the right end of a mini frame's caption: a white X with a
dark edge on a transparent 16 x 16 square, so it reads on the orange caption strip.
Parlavox.ico: the program's window icon, an orange speech bubble, at 16, 32 and 48 pixels;
icons/parlavox-<size>.png: the same bubble for the desktop's menus.
img/parlavox.png: the banner at the bottom of the main window, the name on an orange band.
img/voxie.png: the mascot in the notification pop-up's header, the bubble with two eyes, 18 pixels;
img/arrow_left.png, img/arrow_right.png: the pop-up's paging arrows, dark triangles on 16 x 16.
img/disconnect.png, img/reconnect.png ... img/exit.png: the tool bar's 24-pixel pictures (see
toolbar_images); img/tb_*.ico: the tray icon in the colour of each presence;
img/popup.png ... img/belldef.png: the notification switches (see switch_images);
img/defaultavatar.png: the avatar of a user who has chosen none;
img/add.png, img/redclose.png: a list's add and remove pictures, a green plus and a red cross.
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


ORANGE = (236, 120, 24, 255)
DARK = (120, 60, 0, 255)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)


def bubble(size):
    """An orange speech bubble with a white dot row, on a transparent square."""
    rows = [[CLEAR] * size for _ in range(size)]
    cx, cy = (size - 1) / 2, size * 0.42
    rx, ry = size * 0.46, size * 0.36
    for y in range(size):
        for x in range(size):
            d = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
            tail = (y >= cy and x <= cx and size * 0.15 <= x and
                    y <= size * 0.95 and (x - size * 0.15) >= (y - cy) * 0.4)
            if d <= 1.0 or tail:
                rows[y][x] = DARK if d > 0.8 and not tail else ORANGE
    r = max(1, size // 12)
    for k in (-1, 0, 1):
        dx = cx + k * size * 0.22
        for y in range(size):
            for x in range(size):
                if (x - dx) ** 2 + (y - cy) ** 2 <= r * r:
                    rows[y][x] = WHITE
    return rows


def ico(sizes, draw=None):
    """A Windows icon file of 32-bit images, one per size (bottom-up rows, AND mask after)."""
    images = []
    for size in sizes:
        rows = (draw or bubble)(size)
        xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
        stride = ((size + 31) // 32) * 4
        mask = b"\x00" * (stride * size)
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((size, header + xor + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


# A 5 x 7 pixel font for the banner's letters.
FONT = {
    "P": ["1111.", "1...1", "1...1", "1111.", "1....", "1....", "1...."],
    "A": [".111.", "1...1", "1...1", "11111", "1...1", "1...1", "1...1"],
    "R": ["1111.", "1...1", "1...1", "1111.", "1.1..", "1..1.", "1...1"],
    "L": ["1....", "1....", "1....", "1....", "1....", "1....", "11111"],
    "V": ["1...1", "1...1", "1...1", "1...1", "1...1", ".1.1.", "..1.."],
    "O": [".111.", "1...1", "1...1", "1...1", "1...1", "1...1", ".111."],
    "X": ["1...1", "1...1", ".1.1.", "..1..", ".1.1.", "1...1", "1...1"],
}


def banner(text="PARLAVOX", scale=2):
    """The name in white capitals on an orange band with a dark edge."""
    width = len(text) * 6 * scale + 2 * 6
    height = 7 * scale + 2 * 5
    rows = [[ORANGE] * width for _ in range(height)]
    for x in range(width):
        rows[0][x] = rows[height - 1][x] = DARK
    for y in range(height):
        rows[y][0] = rows[y][width - 1] = DARK
    for i, ch in enumerate(text):
        for gy, line in enumerate(FONT[ch]):
            for gx, bit in enumerate(line):
                if bit != "1":
                    continue
                for sy in range(scale):
                    for sx in range(scale):
                        rows[5 + gy * scale + sy][6 + (i * 6 + gx) * scale + sx] = WHITE
    return png(width, height, rows)


def voxie(size=18):
    """The bubble with two dark eyes in place of the dots."""
    rows = bubble(size)
    for ex in (size * 0.32, size * 0.62):
        for y in range(size):
            for x in range(size):
                if (x - ex) ** 2 + ((y - size * 0.36) / 1.6) ** 2 <= 1.2:
                    rows[y][x] = DARK
    return png(size, size, rows)


def arrow(left, size=16):
    """A dark triangle pointing left or right, with a one-pixel soft edge."""
    rows = [[CLEAR] * size for _ in range(size)]
    for y in range(size):
        half = 5 - abs(y - 7.5) + 0.5
        for x in range(size):
            reach = (x - 4) if not left else (11 - x)
            if 0 <= reach and reach <= half * 1.4:
                rows[y][x] = (60, 60, 60, 255)
    return png(size, size, rows)


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def disc(rows, cx, cy, r, colour, edge=None):
    for y in range(len(rows)):
        for x in range(len(rows[0])):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= r:
                rows[y][x] = edge if edge and d > r - 1.2 else colour


def rect(rows, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(len(rows), y1 + 1)):
        for x in range(max(0, x0), min(len(rows[0]), x1 + 1)):
            rows[y][x] = colour


def line(rows, x0, y0, x1, y1, colour, width=1.0):
    for y in range(len(rows)):
        for x in range(len(rows[0])):
            dx, dy = x1 - x0, y1 - y0
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / float(dx * dx + dy * dy or 1)))
            if ((x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2) ** 0.5 <= width / 2.0:
                rows[y][x] = colour


GREY = (120, 120, 120, 255)
GREEN = (100, 150, 0, 255)
RED = (200, 30, 30, 255)
BLUE = (40, 90, 190, 255)


def power(colour):
    """The connection button: a ring with a bar, grey while disconnected, green once connected."""
    rows = canvas(24)
    disc(rows, 11.5, 12.5, 9.5, colour)
    disc(rows, 11.5, 12.5, 6.5, WHITE)
    disc(rows, 11.5, 12.5, 4.5, colour)
    rect(rows, 9, 1, 14, 8, WHITE)
    rect(rows, 10, 2, 13, 12, colour)
    return rows


def gear():
    rows = canvas(24)
    for k in range(8):
        import math
        a = k * math.pi / 4
        line(rows, 11.5, 11.5, 11.5 + 10 * math.cos(a), 11.5 + 10 * math.sin(a), GREY, 4)
    disc(rows, 11.5, 11.5, 7.5, GREY)
    disc(rows, 11.5, 11.5, 3, WHITE)
    return rows


def globe():
    rows = canvas(24)
    disc(rows, 11.5, 11.5, 10.5, BLUE)
    disc(rows, 11.5, 11.5, 9, (170, 200, 240, 255))
    line(rows, 1, 11.5, 22, 11.5, BLUE, 1.2)
    line(rows, 11.5, 1, 11.5, 22, BLUE, 1.2)
    for y in range(24):
        for x in range(24):
            d = ((x - 11.5) / 5.0) ** 2 + ((y - 11.5) / 10.0) ** 2
            if 0.8 <= d <= 1.15:
                rows[y][x] = BLUE
    return rows


def people(colour):
    """Two people side by side: the contacts manager, orange on its lit frame."""
    rows = canvas(24)
    for cx, cy, r in ((15.5, 7, 3.5), (8, 8, 4)):
        disc(rows, cx, cy, r, colour)
    for y in range(12, 23):
        for x in range(24):
            if ((x - 16) / 6.0) ** 2 + ((y - 21) / 8.0) ** 2 <= 1:
                rows[y][x] = colour
            if ((x - 8) / 7.0) ** 2 + ((y - 22) / 9.0) ** 2 <= 1:
                rows[y][x] = DARK if colour == ORANGE else (70, 70, 70, 255)
    return rows


def chat(active):
    rows = bubble(24)
    if not active:
        rows = [[(160, 160, 160, a) if a else px for px in row for (r, g, b, a) in [px]] for row in rows]
    return rows


def updown():
    rows = canvas(24)
    for x0, up, colour in ((7, True, GREEN), (16, False, BLUE)):
        rect(rows, x0 - 1, 6, x0 + 1, 18, colour)
        for k in range(6):
            y = 2 + k if up else 21 - k
            rect(rows, x0 - k, y, x0 + k, y, colour)
    return rows


def info():
    rows = canvas(24)
    disc(rows, 11.5, 11.5, 10.5, BLUE)
    disc(rows, 11.5, 6.5, 1.8, WHITE)
    rect(rows, 10, 10, 13, 18, WHITE)
    rect(rows, 9, 10, 10, 11, WHITE)
    rect(rows, 9, 17, 14, 18, WHITE)
    return rows


def cross():
    rows = canvas(24)
    disc(rows, 11.5, 11.5, 10.5, RED)
    line(rows, 7, 7, 16, 16, WHITE, 2.6)
    line(rows, 16, 7, 7, 16, WHITE, 2.6)
    return rows


def toolbar_images():
    return {
        "disconnect.png": power(GREY), "reconnect.png": power(GREEN),
        "users.png": people(GREY), "users2.png": people(ORANGE),
        "chat.png": chat(True), "nochat.png": chat(False),
        "preferences.png": gear(), "configURL.png": globe(),
        "updownload.png": updown(), "about.png": info(), "exit.png": cross(),
    }


def switch_images():
    """The notification switches of the profile window and the contacts manager, 16 x 16: a pop-up
    (a small window with lines of text) and a bell; each filled in orange when on, drawn as a grey
    outline when off, and pale when not set (the default decides)."""
    pale = (200, 200, 200, 255)

    def popup(fill, edge, text):
        rows = canvas(16)
        rect(rows, 1, 2, 14, 13, edge)
        rect(rows, 2, 5, 13, 12, fill)
        rect(rows, 2, 3, 13, 3, edge)
        for y in (7, 10):
            rect(rows, 4, y, 11, y, text)
        return rows

    def bell(fill, edge):
        rows = canvas(16)
        for y in range(2, 13):
            for x in range(16):
                half = 2.5 + (y - 2) * 0.45
                inside = abs(x - 7.5) <= half
                outline = abs(x - 7.5) > half - 1.2 or y in (2, 12)
                if inside:
                    rows[y][x] = edge if outline else fill
        rect(rows, 6, 1, 9, 1, edge)
        disc(rows, 7.5, 13.5, 1.6, edge)
        return rows

    return {
        "popup.png": popup(ORANGE, DARK, WHITE), "emptypopup.png": popup(WHITE, GREY, pale),
        "popupdef.png": popup((245, 245, 245, 255), pale, pale),
        "bell.png": bell(ORANGE, DARK), "emptybell.png": bell(WHITE, GREY),
        "belldef.png": bell((245, 245, 245, 255), pale),
    }


def default_avatar():
    """The avatar of a user who has not chosen one, 64 x 64: a grey head and shoulders on a pale
    background."""
    rows = [[(236, 236, 236, 255)] * 64 for _ in range(64)]
    grey = (160, 160, 160, 255)
    disc(rows, 31.5, 24, 12, grey)
    for y in range(40, 64):
        for x in range(64):
            if ((x - 31.5) / 24.0) ** 2 + ((y - 66) / 26.0) ** 2 <= 1:
                rows[y][x] = grey
    return rows


def plus():
    rows = canvas(16)
    disc(rows, 7.5, 7.5, 7.5, GREEN)
    rect(rows, 3, 7, 12, 8, WHITE)
    rect(rows, 7, 3, 8, 12, WHITE)
    return rows


def red_cross():
    rows = canvas(16)
    disc(rows, 7.5, 7.5, 7.5, RED)
    line(rows, 4.5, 4.5, 10.5, 10.5, WHITE, 2)
    line(rows, 10.5, 4.5, 4.5, 10.5, WHITE, 2)
    return rows


# The tray's presence colours, the same as the program's status colours.
TRAY = {
    "tb_disconnected.ico": (120, 120, 120, 255), "tb_offline.ico": (120, 120, 120, 255),
    "tb_online.ico": (100, 150, 0, 255), "tb_noactivity.ico": (235, 225, 10, 255),
    "tb_away.ico": (249, 150, 25, 255), "tb_busy.ico": (255, 0, 0, 255),
}


def tray_rows(colour, disconnected):
    def draw(size):
        rows = bubble(size)
        rows = [[colour if px == ORANGE else px for px in row] for row in rows]
        if disconnected:
            line(rows, 1, size - 2, size - 2, 1, DARK, max(1.0, size / 10.0))
        return rows
    return draw


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "data", "img")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "close.png"), "wb") as f:
        f.write(close_image())
    with open(os.path.join(out, "parlavox.png"), "wb") as f:
        f.write(banner())
    for name, data in (("voxie.png", voxie()), ("arrow_left.png", arrow(True)), ("arrow_right.png", arrow(False))):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    for name, rows in toolbar_images().items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(png(24, 24, rows))
    with open(os.path.join(out, "defaultavatar.png"), "wb") as f:
        f.write(png(64, 64, default_avatar()))
    for name, rows in dict(switch_images(), **{"add.png": plus(), "redclose.png": red_cross()}).items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(png(16, 16, rows))
    for name, colour in TRAY.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(ico([16, 32], tray_rows(colour, name == "tb_disconnected.ico")))
    with open(os.path.join(os.path.dirname(out), "Parlavox.ico"), "wb") as f:
        f.write(ico([16, 32, 48]))
    icons = os.path.join(os.path.dirname(out), "icons")
    os.makedirs(icons, exist_ok=True)
    for size in (16, 32, 48):
        with open(os.path.join(icons, "parlavox-%d.png" % size), "wb") as f:
            f.write(png(size, size, bubble(size)))


if __name__ == "__main__":
    main()
