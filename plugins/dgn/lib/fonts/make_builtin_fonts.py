#!/usr/bin/env python3
"""Writes BuiltinFonts.inc: the library's three stroke fonts in the .fnt layout (FntFont.h).

The glyphs are our own, drawn here on a grid of 8 units across and 12 up (capitals 12 high,
lower case 8, descenders to -4 below the base line). "stdtext.fnt" draws them with straight
strokes; "smooth.fnt" draws round letters with arcs; "fancy.fnt" slants them.

    python3 make_builtin_fonts.py        # rewrites BuiltinFonts.inc beside this script
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
BASELINE = 4       # stored y = y + BASELINE
CELL_HEIGHT = 12

# Glyphs: strokes separated by ";", points "x,y" separated by spaces; advance after "|".
# Coordinates on the 8 x 12 grid (y up from the base line).
GLYPHS = {
    ' ': '|8',
    '!': '2,12 2,3;2,1 2,0|4',
    '"': '1,12 1,9;4,12 4,9|6',
    '#': '2,0 3,12;5,0 6,12;0,4 8,4;0,8 8,8|9',
    '$': '7,10 5,12 2,12 0,10 0,8 2,6 5,6 7,4 7,2 5,0 2,0 0,2;4,13 4,-1|9',
    '%': '0,0 8,12;1,12 0,11 1,10 2,11 1,12;7,2 6,1 7,0 8,1 7,2|9',
    '&': '8,0 1,8 1,11 2,12 4,12 5,11 5,9 0,4 0,2 2,0 5,0 8,4|9',
    "'": '2,12 2,9|4',
    '(': '3,13 1,10 1,2 3,-1|5',
    ')': '1,13 3,10 3,2 1,-1|5',
    '*': '4,10 4,2;0,8 8,4;0,4 8,8|9',
    '+': '4,10 4,2;0,6 8,6|9',
    ',': '2,1 2,0 1,-2|4',
    '-': '0,6 7,6|8',
    '.': '2,1 2,0|4',
    '/': '0,0 8,12|9',
    '0': '2,0 6,0 8,2 8,10 6,12 2,12 0,10 0,2 2,0;8,12 0,0|9',
    '1': '2,10 4,12 4,0;2,0 6,0|9',
    '2': '0,10 2,12 6,12 8,10 8,8 0,0 8,0|9',
    '3': '0,12 8,12 4,7 6,7 8,5 8,2 6,0 2,0 0,2|9',
    '4': '6,0 6,12 0,4 8,4|9',
    '5': '8,12 0,12 0,7 6,7 8,5 8,2 6,0 0,0|9',
    '6': '7,12 2,12 0,10 0,2 2,0 6,0 8,2 8,5 6,7 0,7|9',
    '7': '0,12 8,12 2,0|9',
    '8': '2,7 0,9 0,10 2,12 6,12 8,10 8,9 6,7 2,7 0,5 0,2 2,0 6,0 8,2 8,5 6,7|9',
    '9': '8,5 2,5 0,7 0,10 2,12 6,12 8,10 8,2 6,0 1,0|9',
    ':': '2,8 2,7;2,1 2,0|4',
    ';': '2,8 2,7;2,1 2,0 1,-2|4',
    '<': '8,10 0,6 8,2|9',
    '=': '0,8 8,8;0,4 8,4|9',
    '>': '0,10 8,6 0,2|9',
    '?': '0,10 2,12 6,12 8,10 8,8 4,6 4,3;4,1 4,0|9',
    '@': '6,4 6,8 3,8 2,7 2,5 3,4 6,4 8,6 8,10 6,12 2,12 0,10 0,2 2,0 7,0|9',
    'A': '0,0 0,8 4,12 8,8 8,0;0,5 8,5|9',
    'B': '0,0 0,12 6,12 8,10 8,8 6,6 0,6;6,6 8,4 8,2 6,0 0,0|9',
    'C': '8,10 6,12 2,12 0,10 0,2 2,0 6,0 8,2|9',
    'D': '0,0 0,12 5,12 8,9 8,3 5,0 0,0|9',
    'E': '8,12 0,12 0,0 8,0;0,6 6,6|9',
    'F': '8,12 0,12 0,0;0,6 6,6|9',
    'G': '8,10 6,12 2,12 0,10 0,2 2,0 6,0 8,2 8,6 4,6|9',
    'H': '0,0 0,12;8,0 8,12;0,6 8,6|9',
    'I': '2,12 6,12;4,12 4,0;2,0 6,0|9',
    'J': '8,12 8,2 6,0 2,0 0,2 0,4|9',
    'K': '0,0 0,12;8,12 0,4;3,7 8,0|9',
    'L': '0,12 0,0 8,0|9',
    'M': '0,0 0,12 4,6 8,12 8,0|9',
    'N': '0,0 0,12 8,0 8,12|9',
    'O': '2,0 6,0 8,2 8,10 6,12 2,12 0,10 0,2 2,0|9',
    'P': '0,0 0,12 6,12 8,10 8,8 6,6 0,6|9',
    'Q': '2,0 6,0 8,2 8,10 6,12 2,12 0,10 0,2 2,0;5,3 8,0|9',
    'R': '0,0 0,12 6,12 8,10 8,8 6,6 0,6;4,6 8,0|9',
    'S': '8,10 6,12 2,12 0,10 0,8 2,6 6,6 8,4 8,2 6,0 2,0 0,2|9',
    'T': '0,12 8,12;4,12 4,0|9',
    'U': '0,12 0,2 2,0 6,0 8,2 8,12|9',
    'V': '0,12 4,0 8,12|9',
    'W': '0,12 2,0 4,8 6,0 8,12|9',
    'X': '0,0 8,12;0,12 8,0|9',
    'Y': '0,12 4,6 8,12;4,6 4,0|9',
    'Z': '0,12 8,12 0,0 8,0|9',
    '[': '4,13 1,13 1,-1 4,-1|5',
    '\\': '0,12 8,0|9',
    ']': '1,13 4,13 4,-1 1,-1|5',
    '^': '1,9 4,12 7,9|9',
    '_': '0,-2 8,-2|9',
    '`': '2,12 4,9|6',
    'a': '1,8 6,8 7,7 7,0;7,4 2,4 0,3 0,1 1,0 6,0 7,1|9',
    'b': '0,12 0,0 6,0 8,2 8,6 6,8 0,8|9',
    'c': '8,7 7,8 2,8 0,6 0,2 2,0 7,0 8,1|9',
    'd': '8,12 8,0 2,0 0,2 0,6 2,8 8,8|9',
    'e': '0,4 8,4 8,6 6,8 2,8 0,6 0,2 2,0 7,0|9',
    'f': '6,12 4,12 3,11 3,0;1,8 6,8|7',
    'g': '8,8 8,-2 6,-4 1,-4;8,2 6,0 2,0 0,2 0,6 2,8 8,8|9',
    'h': '0,12 0,0;0,7 2,8 6,8 8,6 8,0|9',
    'i': '3,8 3,0;3,11 3,10|6',
    'j': '5,8 5,-2 3,-4 1,-4;5,11 5,10|7',
    'k': '0,12 0,0;7,8 0,3;3,5 7,0|8',
    'l': '3,12 3,1 4,0|6',
    'm': '0,0 0,8;0,7 1,8 3,8 4,7 4,0;4,7 5,8 7,8 8,7 8,0|9',
    'n': '0,8 0,0;0,7 2,8 6,8 8,6 8,0|9',
    'o': '2,0 6,0 8,2 8,6 6,8 2,8 0,6 0,2 2,0|9',
    'p': '0,8 0,-4;0,8 6,8 8,6 8,2 6,0 0,0|9',
    'q': '8,8 8,-4;8,8 2,8 0,6 0,2 2,0 8,0|9',
    'r': '0,8 0,0;0,5 3,8 7,8|8',
    's': '8,7 7,8 1,8 0,7 0,5 1,4 7,4 8,3 8,1 7,0 1,0 0,1|9',
    't': '3,12 3,1 4,0 6,0;1,8 6,8|7',
    'u': '0,8 0,2 2,0 6,0 8,2;8,8 8,0|9',
    'v': '0,8 4,0 8,8|9',
    'w': '0,8 2,0 4,6 6,0 8,8|9',
    'x': '0,0 8,8;0,8 8,0|9',
    'y': '0,8 4,0;8,8 3,-4 1,-4|9',
    'z': '0,8 8,8 0,0 8,0|9',
    '{': '4,13 3,13 2,12 2,7 1,6 2,5 2,0 3,-1 4,-1|6',
    '|': '2,13 2,-1|4',
    '}': '1,13 2,13 3,12 3,7 4,6 3,5 3,0 2,-1 1,-1|6',
    '~': '0,6 2,8 4,6 6,4 8,6|9',
    # OEM codes the fonts are drawn with: plus-minus, diameter, superscripts 2 and 3, degree.
    0xF1: '4,10 4,4;1,7 7,7;1,1 7,1|9',
    0xED: '2,1 6,1 7,2 7,6 6,7 2,7 1,6 1,2 2,1;0,0 8,8|9',
    0xFD: '1,11 2,12 4,12 5,11 5,10 1,7 5,7|7',
    0xFE: '1,12 5,12 3,10 5,9 5,8 4,7 1,7|7',
    0xF8: '2,12 4,12 5,11 5,9 4,8 2,8 1,9 1,11 2,12|7',
}

# Round glyphs of the smooth font: arcs (centre x, y, radius, start and end in degrees) and
# strokes.
ARCS = {
    'O': ([(4, 6, 5, 0, 360)], '', 9),
    'o': ([(4, 4, 4, 0, 360)], '', 9),
    '0': ([(4, 6, 5, 0, 360)], '8,12 0,0', 9),
    'C': ([(5, 6, 5, 40, 320)], '', 9),
    'c': ([(5, 4, 4, 45, 315)], '', 9),
    0xF8: ([(3, 10, 2, 0, 360)], '', 7),
}


def key(c):
    return c if isinstance(c, int) else ord(c)


def parse(spec):
    strokes, advance = spec.split('|')
    out = []
    for stroke in strokes.split(';'):
        points = [tuple(int(v) for v in p.split(',')) for p in stroke.split()]
        if points:
            out.append(points)
    return out, int(advance)


def point_record(x, y, pen_down):
    assert 0 <= x < 128 and 0 <= y + BASELINE < 128, (x, y)
    return bytes([(0x80 if pen_down else 0) | x, y + BASELINE])


def arc_record(cx, cy, r, start, end):
    turn = lambda degrees: int(round(degrees / 360.0 * 256)) % 256
    return bytes([cx, 0x80 | (cy + BASELINE), r, turn(start), turn(end) if end % 360 else turn(start)])


def strokes_bytes(strokes, shear=0.0):
    out = b''
    for stroke in strokes:
        for i, (x, y) in enumerate(stroke):
            sx = int(round(x + shear * (y + BASELINE)))
            out += point_record(sx, y, i > 0)
    return out


def font(style):
    advances = bytearray(256)
    glyphs = {}
    for c, spec in GLYPHS.items():
        strokes, advance = parse(spec)
        data = strokes_bytes(strokes, 0.25 if style == 'fancy' else 0.0)
        if style == 'smooth' and c in ARCS:
            arcs, extra, advance = ARCS[c]
            data = b''.join(arc_record(*a) for a in arcs) + strokes_bytes(parse(extra + '|0')[0]) if extra else b''.join(
                arc_record(*a) for a in arcs)
        advances[key(c)] = advance + (1 if style == 'fancy' else 0)
        glyphs[key(c)] = data + b'\xff'
    # Header: cell height, base line, a word, spacing, four bytes.
    header = struct.pack('<ihhhI', CELL_HEIGHT, BASELINE, 0, 0, 0)
    at = 256 + 512
    offsets = [0] * 256
    body = header
    offsets[0] = at
    at += len(header)
    empty_at = at
    body += b'\xff'
    at += 1
    for code in range(1, 256):
        if code in glyphs:
            offsets[code] = at
            body += glyphs[code]
            at += len(glyphs[code])
        else:
            offsets[code] = empty_at
    assert at < 65536
    return bytes(advances) + b''.join(struct.pack('<H', o) for o in offsets) + body


def c_array(name, data):
    lines = ['const std::uint8_t %s[%d] = {' % (name, len(data))]
    for i in range(0, len(data), 20):
        lines.append('    ' + ', '.join('0x%02x' % b for b in data[i:i + 20]) + ',')
    lines.append('};')
    return '\n'.join(lines)


def main():
    parts = ['// Made by make_builtin_fonts.py: the built-in stroke fonts. Do not edit; run the script.', '']
    for style in ('stdtext', 'smooth', 'fancy'):
        parts.append('// "%s.fnt"' % style)
        parts.append(c_array('k%sFont' % style.capitalize(), font(style)))
        parts.append('')
    with open(os.path.join(HERE, 'BuiltinFonts.inc'), 'w') as out:
        out.write('\n'.join(parts))


if __name__ == '__main__':
    main()
