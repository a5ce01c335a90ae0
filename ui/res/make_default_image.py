#!/usr/bin/env python3
"""Writes ui/res/DefaultImage.emf, the picture of the image prototype: a framed landscape (sky,
sun, two hills) as a small enhanced metafile of plain GDI records. Run again after a change."""
import os
import struct

WIDTH, HEIGHT = 64, 48
# Device and its size in millimetres: 1 unit = 0.25 mm, so the frame is 16 x 12 mm.
DEVICE = (1024, 768)
MILLIMETRES = (256, 192)

records = []


def record(kind, payload):
    records.append(struct.pack("<II", kind, 8 + len(payload)) + payload)


def rectl(l, t, r, b):
    return struct.pack("<4i", l, t, r, b)


def pen(handle, colour, width=1):
    record(38, struct.pack("<I", handle) + struct.pack("<I", 0) + struct.pack("<ii", width, 0) + struct.pack("<I", colour))


def brush(handle, colour):
    record(39, struct.pack("<I", handle) + struct.pack("<III", 0, colour, 0))


def select(handle):
    record(37, struct.pack("<I", handle))


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    record(3, rectl(min(xs), min(ys), max(xs), max(ys)) + struct.pack("<I", len(points)) +
           b"".join(struct.pack("<ii", x, y) for x, y in points))


def rgb(r, g, b):
    return r | (g << 8) | (b << 16)


pen(1, rgb(0, 0, 0))
brush(2, rgb(170, 210, 255))
select(1)
select(2)
record(43, rectl(0, 0, WIDTH - 1, HEIGHT - 1))            # sky in a black frame
brush(3, rgb(255, 200, 0))
select(3)
record(42, rectl(40, 6, 54, 20))                           # sun
brush(4, rgb(60, 150, 60))
select(4)
polygon([(1, 46), (20, 20), (36, 46)])                     # far hill
brush(5, rgb(30, 110, 40))
select(5)
polygon([(18, 46), (42, 26), (62, 46)])                    # near hill
for handle in (2, 3, 4, 5, 1):
    record(40, struct.pack("<I", handle))
record(14, struct.pack("<III", 0, 16, 20))                 # EOF

body = b"".join(records)
frame = rectl(0, 0, WIDTH * 25 - 1, HEIGHT * 25 - 1)       # hundredths of a millimetre
header_size = 88
total = header_size + len(body)
header = (struct.pack("<II", 1, header_size) + rectl(0, 0, WIDTH - 1, HEIGHT - 1) + frame +
          struct.pack("<IIIIHHIII", 0x464D4520, 0x10000, total, len(records) + 1, 6, 0, 0, 0, 0) +
          struct.pack("<ii", *DEVICE) + struct.pack("<ii", *MILLIMETRES))
assert len(header) == header_size
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "DefaultImage.emf"), "wb") as out:
    out.write(header + body)
