"""Reads a sample picture PNG with the standard library alone: the signature, the chunk CRCs, the
header, and the pixels after inflating and unfiltering them. The picture must hold the colours
that only the drawing frame puts there: for the style sample the selection overlay, the highlight
pen and a solid fill; for the hatch sample the hatch colour and the outlines."""
import os
import struct
import sys
import zlib

# The colours each picture must hold.
WANTED = {
    "styles.png": {"overlay red": (255, 0, 0), "highlight": (200, 0, 0), "fill": (0xE0, 0x30, 0x30),
                   "white paper": (255, 255, 255), "mark blue": (0, 0, 255)},
    "hatches.png": {"hatch": (0x00, 0x30, 0x80), "outline": (0, 0, 0), "white paper": (255, 255, 255)},
}


def chunks(data):
    pos = 8
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0]
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise SystemExit("bad CRC in chunk %r" % kind)
        yield kind, body
        pos += 12 + length


def pixels(width, height, channels, raw):
    stride = width * channels
    rows, prev, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        rows.append(bytes(line))
        prev = line
    return rows


def main(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("not a PNG")
    header, idat = None, b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    width, height, depth, colour_type = header[:4]
    if (width, height) != (960, 720) or depth != 8 or colour_type not in (2, 6):
        raise SystemExit("unexpected header %r" % (header,))
    channels = 3 if colour_type == 2 else 4
    rows = pixels(width, height, channels, zlib.decompress(idat))
    seen = set()
    for row in rows:
        for x in range(0, len(row), channels):
            seen.add(tuple(row[x:x + 3]))
    wanted = WANTED[os.path.basename(path)]
    missing = [name for name, rgb in wanted.items() if rgb not in seen]
    if missing:
        raise SystemExit("colours missing: %s" % ", ".join(missing))
    print("%s: %dx%d, %d colours" % (os.path.basename(path), width, height, len(seen)))


main(sys.argv[1])
