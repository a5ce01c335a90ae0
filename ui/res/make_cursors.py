#!/usr/bin/env python3
"""Writes the control's edit cursors (32 x 32, monochrome .cur) into ui/res/cursors/.

Each cursor is a cross hair with its hot spot in the middle and a small sign of the operation or
of the kind being drawn in the lower right quarter. Run again after changing a sign."""
import math
import os
import struct

SIZE = 32
HOT = 15


def line(px, x0, y0, x1, y1):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        px.add((round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps)))


def rect(px, x0, y0, x1, y1):
    line(px, x0, y0, x1, y0)
    line(px, x1, y0, x1, y1)
    line(px, x1, y1, x0, y1)
    line(px, x0, y1, x0, y0)


def ellipse(px, cx, cy, rx, ry, a0=0.0, a1=360.0):
    for k in range(0, 181):
        a = math.radians(a0 + (a1 - a0) * k / 180)
        px.add((round(cx + rx * math.cos(a)), round(cy - ry * math.sin(a))))


def letter_a(px, x, y):
    line(px, x, y + 8, x + 4, y)
    line(px, x + 4, y, x + 8, y + 8)
    line(px, x + 2, y + 5, x + 6, y + 5)


SIGNS = {
    272: lambda p: rect(p, 20, 20, 29, 29),                        # any other kind
    277: lambda p: ellipse(p, 25, 25, 5, 5),                       # circle
    278: lambda p: ellipse(p, 25, 25, 6, 3),                       # ellipse
    279: lambda p: [line(p, 19, 29, 23, 21), line(p, 23, 21, 27, 27), line(p, 27, 27, 30, 19)],  # polyline
    280: lambda p: line(p, 19, 29, 30, 19),                        # line
    281: lambda p: rect(p, 19, 21, 30, 28),                        # rectangle
    282: lambda p: ellipse(p, 25, 27, 6, 6, 0.0, 180.0),           # arc
    283: lambda p: [line(p, 19, 29, 24, 19), line(p, 24, 19, 30, 29), line(p, 30, 29, 19, 29)],  # polygon
    284: lambda p: letter_a(p, 21, 20),                            # text
    285: lambda p: [rect(p, 19, 20, 30, 29), line(p, 19, 29, 23, 24), line(p, 23, 24, 26, 27), line(p, 26, 27, 30, 22)],  # image
    292: lambda p: [rect(p, 19, 19, 30, 30), line(p, 24, 22, 24, 27), line(p, 22, 24, 27, 24)],  # zoom window
    317: lambda p: [ellipse(p, 25, 25, 5, 5, 30.0, 330.0), line(p, 29, 22, 31, 25)],  # rotate
    319: lambda p: [rect(p, 19, 23, 26, 30), rect(p, 19, 19, 30, 30)],  # scale
    320: lambda p: [rect(p, 22, 22, 28, 28), rect(p, 24, 24, 26, 26)],  # point
}


def cursor_bytes(sign):
    px = set()
    for d in range(-7, 8):
        if abs(d) > 1:
            px.add((HOT + d, HOT))
            px.add((HOT, HOT + d))
    sign(px)
    black = {(x, y) for (x, y) in px if 0 <= x < SIZE and 0 <= y < SIZE}
    # A white rim keeps the sign visible on dark drawings.
    white = set()
    for (x, y) in black:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                q = (x + dx, y + dy)
                if q not in black and 0 <= q[0] < SIZE and 0 <= q[1] < SIZE:
                    white.add(q)
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # bottom-up rows
        xor_bits = and_bits = 0
        for x in range(SIZE):
            bit = 1 << (31 - x)
            if (x, y) in white:
                xor_bits |= bit
            elif (x, y) not in black:
                and_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, SIZE * SIZE // 4, 0, 0, 2, 0)
    palette = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOT, HOT, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cursors")
    os.makedirs(out, exist_ok=True)
    for number, sign in SIGNS.items():
        with open(os.path.join(out, "%d.cur" % number), "wb") as f:
            f.write(cursor_bytes(sign))


if __name__ == "__main__":
    main()
