#!/usr/bin/python3
"""ezdxf reads the texts that model_text_storage_test wrote (TextDxf.WritesADrawingThatEzdxfReads):
each TEXT's placement (ezdxf's get_placement) is our anchor and justification, and each MTEXT
stands at its quarter turn with its words."""
import os
import sys

import ezdxf
from ezdxf.enums import TextEntityAlignment as A

failures = []


def expect(what, got, want):
    if got != want:
        failures.append(f"{what}: {got!r}, expected {want!r}")


def close(what, got, want, tolerance=1e-4):
    if abs(got - want) > tolerance:
        failures.append(f"{what}: {got!r}, expected {want!r}")


# Our alignments 0x0, 0x6, 0x2, 0x10000, 0x10006, 0x10002, 0x8, 0xE, 0xA.
PLACEMENTS = [A.TOP_LEFT, A.TOP_CENTER, A.TOP_RIGHT, A.MIDDLE_LEFT, A.MIDDLE, A.MIDDLE_RIGHT,
              A.BOTTOM_LEFT, A.BOTTOM_CENTER, A.BOTTOM_RIGHT]


def main():
    path = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "model", "dxf_out", "texts.dxf")
    doc = ezdxf.readfile(path)
    msp = doc.modelspace()
    texts = {t.dxf.text: t for t in msp.query("TEXT")}
    for n, placement in enumerate(PLACEMENTS):
        t = texts.get(f"P{n}")
        if t is None:
            failures.append(f"P{n} missing")
            continue
        align, p1, _ = t.get_placement()
        expect(f"P{n} placement", align, placement)
        close(f"P{n} x", p1.x, n * 10.0)
        close(f"P{n} y", p1.y, 50.0)
        close(f"P{n} rotation", t.dxf.get("rotation", 0.0), 30.0 if n % 2 else 0.0)
        close(f"P{n} height", t.dxf.height, 2.0)
    mtexts = list(msp.query("MTEXT"))
    expect("MTEXT count", len(mtexts), 4)
    for i, m in enumerate(mtexts):
        angle = m.get_rotation() % 360.0
        close(f"MTEXT {i} angle", angle, 90.0 * i)
        expect(f"MTEXT {i} words", m.plain_text().strip(), f"M{90 * i}")
        close(f"MTEXT {i} height", m.dxf.char_height, 2.5)
    # Long texts: ezdxf reads the file and each TEXT's first group; our continued groups and
    # extended-data pieces pass it by.
    long_doc = ezdxf.readfile(os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "model", "dxf_out",
                                           "texts_long.dxf"))
    long_texts = list(long_doc.modelspace().query("TEXT"))
    expect("long TEXT count", len(long_texts), 2)
    if long_texts:
        expect("long TEXT's first group", len(long_texts[0].dxf.text), 2049)
        expect("long TEXT's start", long_texts[0].dxf.text[:4], "%%db")
    for f in failures:
        print(f)
    print("FAIL" if failures else "PASS")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
