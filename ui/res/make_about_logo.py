#!/usr/bin/python3
"""Writes AboutLogo.bmp beside this script: the 64 x 64 picture of the Options sheet's About page,
a drafting sheet with a few shapes drawn on it (a line, a circle, a rectangle) over a light grid.
Run it again after changing the drawing below; the BMP file is committed."""
import math
import os
import struct

SIZE = 64
PAPER = (255, 255, 255)
GRID = (220, 228, 240)
FRAME = (40, 60, 110)
INK = (0, 90, 200)
RED = (210, 40, 40)

pixels = [[PAPER for _ in range(SIZE)] for _ in range(SIZE)]


def put(x, y, colour):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        pixels[y][x] = colour


for i in range(4, SIZE - 4, 6):  # the grid
    for j in range(4, SIZE - 4):
        put(i, j, GRID)
        put(j, i, GRID)
for i in range(2, SIZE - 2):  # the sheet's frame, two pixels wide
    for w in (2, 3):
        put(i, w, FRAME)
        put(i, SIZE - 1 - w, FRAME)
        put(w, i, FRAME)
        put(SIZE - 1 - w, i, FRAME)
for t in range(0, 200):  # a circle
    a = 2 * math.pi * t / 200
    put(round(40 + 13 * math.cos(a)), round(24 + 13 * math.sin(a)), INK)
for x in range(10, 34):  # a rectangle
    put(x, 36, RED)
    put(x, 54, RED)
for y in range(36, 55):
    put(10, y, RED)
    put(33, y, RED)
for t in range(0, 48):  # a line across
    put(8 + t, 56 - t, INK)
    put(9 + t, 56 - t, INK)

stride = (SIZE * 3 + 3) & ~3
data = bytearray()
for row in reversed(pixels):  # bottom-up
    line = bytearray()
    for r, g, b in row:
        line += bytes((b, g, r))
    data += line + bytes(stride - len(line))
header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "AboutLogo.bmp"), "wb") as f:
    f.write(header + info + data)
