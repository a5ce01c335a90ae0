#!/usr/bin/env python3
"""Writes DefaultPalette.inc: the standard default DGN colour table (256 entries), which colour
numbers resolve through when a design file carries no colour table of its own.

The table is read off an independent DGN reader: the script writes a V7 file (GDAL's 2-D seed,
which has no colour table, followed by one line per colour number 0-255) and asks `ogrinfo`
(gdal-bin) which colour each line has.

    python3 make_default_palette.py      # rewrites DefaultPalette.inc beside this script
"""
import os
import re
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SEED = '/usr/share/gdal/seed_2d.dgn'


def v7_int32(v):
    v &= 0xFFFFFFFF
    return struct.pack('<HH', v >> 16, v & 0xFFFF)


def line(colour, x):
    """A 2-D V7 line (type 3) on level 1 with the colour number in its symbology word."""
    points = (x, 0, x + 5, 5)
    body = b''.join(v7_int32(v) for v in points)
    header = bytearray(36)
    header[0], header[1] = 1, 3
    struct.pack_into('<H', header, 2, (36 + len(body) - 4) // 2)
    # The range, each value with its sign bit flipped.
    header[4:28] = b''.join(v7_int32(v ^ 0x80000000) for v in (x, 0, 0, x + 5, 5, 0))
    struct.pack_into('<H', header, 34, colour << 8)
    return bytes(header) + body


def seed_records():
    data = open(SEED, 'rb').read()
    at = 0
    while data[at:at + 2] != b'\xff\xff':
        at += 4 + 2 * struct.unpack_from('<H', data, at + 2)[0]
    return data[:at]


def main():
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, 'palette.dgn')
        with open(path, 'wb') as out:
            out.write(seed_records() + b''.join(line(k, 10 * k) for k in range(256)) + b'\xff\xff')
        text = subprocess.run(['ogrinfo', '-al', '-q', path], check=True, capture_output=True, text=True).stdout
    colours = {}
    index = None
    for row in text.splitlines():
        m = re.match(r'\s*ColorIndex \(Integer\) = (\d+)', row)
        if m:
            index = int(m.group(1))
        m = re.search(r'PEN\(.*c:#([0-9a-fA-F]{6})', row)
        if m and index is not None:
            colours[index] = m.group(1).lower()
    assert sorted(colours) == list(range(256)), 'ogrinfo gave %d colours' % len(colours)
    lines = ['// Made by make_default_palette.py: the default DGN colour table as R, G, B. Do not edit.',
             'const std::uint8_t kDefaultPalette[256][3] = {']
    for k in range(256):
        c = colours[k]
        lines.append('    {0x%s, 0x%s, 0x%s}, // %d' % (c[0:2], c[2:4], c[4:6], k))
    lines.append('};')
    with open(os.path.join(HERE, 'DefaultPalette.inc'), 'w') as out:
        out.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
