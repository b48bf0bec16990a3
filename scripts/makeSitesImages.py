#!/usr/bin/env python3
"""Draws the sites panel's pictures into data/img (standard library only; run again after a change).

roomgrey.png: a site's room icon while not in the room, the contacts list's green bubble
(roomgreen.png, scripts/makeContactImages.py) in grey, 16 x 16 (the person before the count of people
on the site is the rooms' user.png, scripts/make-room-images.py); chatsubscribed.png: a small bubble
with a person, before the count of people in the room; smallpostit.png: a yellow note with lines,
the comments; extension.png, extension_dis.png: a browser extension without a picture of its own, a
puzzle piece in blue or grey; treeempty.xpm: the fold icon of a site without people, a small
dot where the contacts list's triangles (treeclosed.xpm, treeopened.xpm) stand, 12 x 12.
"""
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location("images", os.path.join(HERE, "make-images.py"))
images = importlib.util.module_from_spec(spec)
spec.loader.exec_module(images)
png, canvas, disc, rect = images.png, images.canvas, images.disc, images.rect
spec = importlib.util.spec_from_file_location("contacts", os.path.join(HERE, "makeContactImages.py"))
contacts = importlib.util.module_from_spec(spec)
spec.loader.exec_module(contacts)

CLEAR = (0, 0, 0, 0)
DARK = (60, 60, 60, 255)


def room(colour):
    rows = canvas(16)
    disc(rows, 7.5, 6.5, 6.2, colour, DARK)
    for y in range(11, 15):
        for x in range(3, 3 + (15 - y)):
            rows[y][x] = colour
    return rows


def user(colour=(70, 110, 170, 255)):
    rows = canvas(16)
    disc(rows, 7.5, 4.5, 3.2, colour)
    for y in range(9, 16):
        for x in range(16):
            if ((x - 7.5) / 6.5) ** 2 + ((y - 15.5) / 6.5) ** 2 <= 1.0:
                rows[y][x] = colour
    return rows


def chatsubscribed():
    rows = room((250, 150, 25, 255))
    disc(rows, 7.5, 5.0, 1.8, (255, 255, 255, 255))
    rect(rows, 5, 7, 11, 9, (255, 255, 255, 255))
    return rows


def postit():
    rows = canvas(16)
    rect(rows, 1, 1, 15, 15, (250, 225, 80, 255))
    for y in (4, 7, 10):
        rect(rows, 3, y, 13, y + 1, (150, 120, 40, 255))
    return rows


def puzzle(colour):
    rows = canvas(16)
    rect(rows, 2, 4, 13, 15, colour)
    disc(rows, 7.5, 3.0, 2.2, colour)
    disc(rows, 13.5, 9.5, 2.2, colour)
    return rows


def empty_xpm():
    size = 12
    lines = ["".join("#" if 4 <= x <= 7 and 4 <= y <= 7 else "." for x in range(size)) for y in range(size)]
    body = ",\n".join('"%s"' % line for line in lines)
    return ('/* XPM */\nstatic const char *treeempty[] = {\n"%d %d 2 1",\n". c None",\n"# c #A0A0A0",\n%s};\n'
            % (size, size, body))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(HERE), "data", "img")
    os.makedirs(out, exist_ok=True)
    pictures = {
        "chatsubscribed.png": chatsubscribed(),
        "smallpostit.png": postit(),
        "extension.png": puzzle((60, 120, 220, 255)),
        "extension_dis.png": puzzle((150, 150, 150, 255)),
    }
    for name, rows in pictures.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(png(16, 16, rows))
    with open(os.path.join(out, "roomgrey.png"), "wb") as f:
        f.write(contacts.bubble((170, 170, 170, 255)))
    with open(os.path.join(out, "treeempty.xpm"), "w") as f:
        f.write(empty_xpm())


if __name__ == "__main__":
    main()
