"""Reads a sample picture PNG with the standard library alone: the signature, the chunk CRCs, the
header, and the pixels after inflating and unfiltering them. The picture must hold the colours
that only the drawing frame puts there: for the style sample the selection overlay, the highlight
pen and a solid fill; for the hatch sample the hatch colour and the outlines."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from png_file import read_png  # noqa: E402

# The colours each picture must hold.
WANTED = {
    "styles.png": {"overlay red": (255, 0, 0), "highlight": (200, 0, 0), "fill": (0xE0, 0x30, 0x30),
                   "white paper": (255, 255, 255), "mark blue": (0, 0, 255)},
    "hatches.png": {"hatch": (0x00, 0x30, 0x80), "outline": (0, 0, 0), "white paper": (255, 255, 255)},
}


def main(path):
    try:
        width, height, channels, rows = read_png(path)
    except ValueError as e:
        raise SystemExit(str(e))
    if (width, height) != (960, 720):
        raise SystemExit("unexpected size %dx%d" % (width, height))
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
