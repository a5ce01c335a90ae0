#!/usr/bin/python3
"""Writes CellImages.bmp beside this script: the strip of seven 16 x 16 pictures of the
owner-drawn lists (bitmap 261), white being the mask colour. In order: 0 a cell that is neither
checked nor unchecked, 1 unchecked, 2 checked, 3 checked but greyed, 4 the mark of the current
row, 5 the header's ascending sort arrow, 6 the descending one. Run it again after changing a
picture below; the BMP file is committed."""
import os
import struct

# One string per row, 16 rows of 16 columns: '.' white (transparent through the mask), '#' black,
# 'g' dark grey, 'l' light grey, 'G' green, 'w' the inside of a box (near white, drawn).
PICTURES = [
    [  # 0: indeterminate
        "................",
        "................",
        "..############..",
        "..#llllllllll#..",
        "..#llllllllll#..",
        "..#llggggggll#..",
        "..#llggggggll#..",
        "..#llggggggll#..",
        "..#llggggggll#..",
        "..#llggggggll#..",
        "..#llggggggll#..",
        "..#llllllllll#..",
        "..#llllllllll#..",
        "..############..",
        "................",
        "................",
    ],
    [  # 1: unchecked
        "................",
        "................",
        "..############..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwwww#..",
        "..############..",
        "................",
        "................",
    ],
    [  # 2: checked
        "................",
        "................",
        "..############..",
        "..#wwwwwwwwww#..",
        "..#wwwwwwwww##..",
        "..#wwwwwwww###..",
        "..#wwwwwww###w..",
        "..##wwwww###w#..",
        "..###www###ww#..",
        "..#w######www#..",
        "..#ww####wwww#..",
        "..#www##wwwww#..",
        "..#wwwwwwwwww#..",
        "..############..",
        "................",
        "................",
    ],
    [  # 3: checked, greyed
        "................",
        "................",
        "..gggggggggggg..",
        "..gllllllllllg..",
        "..glllllllllgg..",
        "..gllllllllgggg.",
        "..glllllllgggl..",
        "..gglllllgggllg.",
        "..ggglllgggllg..",
        "..glggggggllllg.",
        "..gllgggglllllg.",
        "..glllggllllllg.",
        "..gllllllllllg..",
        "..gggggggggggg..",
        "................",
        "................",
    ],
    [  # 4: the current row
        "................",
        "................",
        "....G...........",
        "....GG..........",
        "....GGG.........",
        "....GGGG........",
        "....GGGGG.......",
        "....GGGGGG......",
        "....GGGGGG......",
        "....GGGGG.......",
        "....GGGG........",
        "....GGG.........",
        "....GG..........",
        "....G...........",
        "................",
        "................",
    ],
    [  # 5: sorted ascending
        "................",
        "................",
        "................",
        "................",
        "................",
        ".......gg.......",
        "......gggg......",
        ".....gggggg.....",
        "....gggggggg....",
        "...gggggggggg...",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
    ],
    [  # 6: sorted descending
        "................",
        "................",
        "................",
        "................",
        "................",
        "...gggggggggg...",
        "....gggggggg....",
        ".....gggggg.....",
        "......gggg......",
        ".......gg.......",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
    ],
]

COLOURS = {
    ".": (255, 255, 255),
    "#": (0, 0, 0),
    "g": (128, 128, 128),
    "l": (192, 192, 192),
    "G": (0, 160, 0),
    "w": (250, 250, 250),
}


def write_bmp(path, pictures):
    width, height = 16 * len(pictures), 16
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(height)):  # bottom-up
        row = bytearray()
        for picture in pictures:
            for ch in picture[y]:
                r, g, b = COLOURS[ch]
                row += bytes((b, g, r))
        row += bytes(stride - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


for i, picture in enumerate(PICTURES):
    assert len(picture) == 16 and all(len(r) == 16 for r in picture), i
here = os.path.dirname(os.path.abspath(__file__))
write_bmp(os.path.join(here, "CellImages.bmp"), PICTURES)
