#!/usr/bin/env python3
"""Draws the chat rooms' own pictures into data/img/ (PNG, standard library only), with the
drawing helpers of make-images.py.

website.png, user.png, newmsg.png: the tab pictures of a site's room, a private room and a room
with unread messages, 16 x 16.
smileys.png, sendfile.png, postit.png, texte.png: the message input's tools, 32 x 32.
happy.png ... crying.png: the eight built-in smileys, 19 x 19 faces.
Run again after changing a drawing; the output is the same on every run.
"""
import importlib.util
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("images", os.path.join(HERE, "make-images.py"))
images = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(images)
canvas, disc, rect, line, png = images.canvas, images.disc, images.rect, images.line, images.png

BLUE, GREEN, GREY, RED, WHITE = images.BLUE, images.GREEN, images.GREY, images.RED, images.WHITE
ORANGE, DARK = images.ORANGE, images.DARK
YELLOW = (250, 205, 40, 255)
EDGE = (170, 110, 0, 255)
INK = (60, 40, 0, 255)
PALE = (255, 240, 150, 255)
PAPER = (250, 250, 250, 255)


def website():
    rows = canvas(16)
    disc(rows, 7.5, 7.5, 7, BLUE)
    disc(rows, 7.5, 7.5, 5.8, (170, 200, 240, 255))
    line(rows, 1, 7.5, 14, 7.5, BLUE, 1)
    line(rows, 7.5, 1, 7.5, 14, BLUE, 1)
    return rows


def user():
    rows = canvas(16)
    disc(rows, 7.5, 4.5, 3.5, ORANGE)
    for y in range(8, 16):
        for x in range(16):
            if ((x - 7.5) / 6.0) ** 2 + ((y - 15.5) / 7.0) ** 2 <= 1:
                rows[y][x] = ORANGE
    return rows


def newmsg():
    rows = canvas(16)
    rect(rows, 1, 3, 14, 12, WHITE)
    for x0, y0, x1, y1 in ((1, 3, 14, 3), (1, 12, 14, 12), (1, 3, 1, 12), (14, 3, 14, 12)):
        line(rows, x0, y0, x1, y1, RED, 1.2)
    line(rows, 1, 3, 7.5, 8.5, RED, 1.2)
    line(rows, 14, 3, 7.5, 8.5, RED, 1.2)
    return rows


def face(size, mood):
    rows = canvas(size)
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    disc(rows, c, c, r, YELLOW, EDGE)
    eye_y, eye_dx, eye_r = c - r * 0.3, r * 0.38, max(1.0, r * 0.14)
    for side in (-1, 1):
        if mood == "wink" and side == 1:
            line(rows, c + eye_dx - 1.5, eye_y, c + eye_dx + 1.5, eye_y, INK, 1)
        elif mood == "cool":
            rect(rows, int(c + side * eye_dx - 2.5), int(eye_y - 1.5), int(c + side * eye_dx + 2.5), int(eye_y + 1), INK)
        else:
            disc(rows, c + side * eye_dx, eye_y, eye_r, INK)
    mouth_y = c + r * 0.35
    if mood in ("sad", "crying"):
        for k in range(-4, 5):
            x = c + k * r * 0.11
            y = mouth_y - 0.5 + (abs(k) ** 2) * 0.12
            line(rows, x, y, x, y, INK, 1.2)
        if mood == "crying":
            line(rows, c - eye_dx, eye_y + 2, c - eye_dx, eye_y + 5, BLUE, 1.2)
    elif mood == "confused":
        line(rows, c - r * 0.45, mouth_y + 1, c + r * 0.45, mouth_y - 1, INK, 1.2)
    else:
        for k in range(-4, 5):
            x = c + k * r * 0.11
            y = mouth_y + 1 - (abs(k) ** 2) * 0.12
            line(rows, x, y, x, y, INK, 1.2)
        if mood == "cheeky":
            disc(rows, c + 1, mouth_y + 2.5, 1.8, RED)
        if mood == "blush":
            for side in (-1, 1):
                disc(rows, c + side * r * 0.6, c + r * 0.15, 1.3, (240, 120, 110, 255))
    return rows


def smileys_tool():
    return face(32, "happy")


def sendfile():
    rows = canvas(32)
    rect(rows, 6, 3, 22, 28, PAPER)
    for x0, y0, x1, y1 in ((6, 3, 22, 3), (6, 28, 22, 28), (6, 3, 6, 28), (22, 3, 22, 28)):
        line(rows, x0, y0, x1, y1, GREY, 1)
    rect(rows, 16, 14, 27, 18, GREEN)
    for k in range(7):
        rect(rows, 24 + k // 2, 10 + k, 24 + k // 2, 22 - k, GREEN)
    return rows


def postit():
    rows = canvas(32)
    rect(rows, 4, 4, 27, 27, PALE)
    rect(rows, 4, 4, 27, 8, YELLOW)
    for y in (13, 17, 21):
        line(rows, 8, y, 23, y, EDGE, 1)
    return rows


def texte():
    rows = canvas(32)
    rect(rows, 6, 3, 25, 28, PAPER)
    for x0, y0, x1, y1 in ((6, 3, 25, 3), (6, 28, 25, 28), (6, 3, 6, 28), (25, 3, 25, 28)):
        line(rows, x0, y0, x1, y1, GREY, 1)
    for y in range(8, 26, 4):
        line(rows, 9, y, 22, y, BLUE, 1)
    return rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "data", "img")
    pictures = {"website.png": website(), "user.png": user(), "newmsg.png": newmsg(),
                "smileys.png": smileys_tool(), "sendfile.png": sendfile(), "postit.png": postit(),
                "texte.png": texte()}
    for mood in ("happy", "wink", "blush", "cheeky", "sad", "confused", "cool", "crying"):
        pictures[mood + ".png"] = face(19, mood)
    for name, rows in pictures.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(png(len(rows[0]), len(rows), rows))


if __name__ == "__main__":
    main()
