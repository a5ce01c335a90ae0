#!/usr/bin/python3
"""Independent readers of the DXF files that dxf_file_test wrote with our group writer:
ezdxf.readfile (strict, ASCII and binary) and dime's dxf2vrml for the R12 drawings (one of them
with line breaks in its texts), and ezdxf's binary tag loader for the value sizes of the newer
binary form."""
import os
import subprocess
import sys

import ezdxf
from ezdxf.lldxf.tagger import binary_tags_loader
from ezdxf.tools.text import caret_decode

OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "interchange", "dxf_out")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def close(a, b):
    return all(abs(x - y) < 1e-9 for x, y in zip(a, b))


def check_r12(name):
    path = os.path.join(OUT, name)
    doc = ezdxf.readfile(path)
    check(doc.dxfversion == "AC1009", f"{name}: version {doc.dxfversion}")
    check("WALLS" in doc.layers, f"{name}: layer WALLS missing")
    entities = list(doc.modelspace())
    kinds = [e.dxftype() for e in entities]
    check(kinds == ["LINE", "CIRCLE", "ARC", "TEXT", "POLYLINE"], f"{name}: entities {kinds}")
    if kinds != ["LINE", "CIRCLE", "ARC", "TEXT", "POLYLINE"]:
        return
    line, circle, arc, text, polyline = entities
    check(line.dxf.layer == "WALLS", f"{name}: line layer {line.dxf.layer}")
    check(close(line.dxf.start, (0, 0, 0)) and close(line.dxf.end, (10, 5, 0)), f"{name}: line {line.dxf.start} {line.dxf.end}")
    xdata = line.get_xdata("YVEXControl")
    values = [(t.code, t.value) for t in xdata]
    check(values == [(1002, "{"), (1000, "SHAPE IDS"), (1071, 17), (1070, 3), (1040, 2.5), (1002, "}")],
          f"{name}: xdata {values}")
    check(circle.dxf.radius == 2.5 and circle.dxf.color == 3, f"{name}: circle")
    check(arc.dxf.start_angle == 0 and arc.dxf.end_angle == 90 and arc.dxf.radius == 3, f"{name}: arc")
    check(text.dxf.text == "Hello YVEX" and text.dxf.height == 2.5, f"{name}: text {text.dxf.text!r}")
    points = [tuple(v.dxf.location)[:2] for v in polyline.vertices]
    check(points == [(0, 0), (4, 0), (4, 3)] and polyline.is_closed, f"{name}: polyline {points}")

    run = subprocess.run(["dxf2vrml", path], capture_output=True, text=True)
    check(run.returncode == 0, f"{name}: dxf2vrml exit {run.returncode}: {run.stderr.strip()}")
    check("10 5 0" in run.stdout and "IndexedLineSet" in run.stdout, f"{name}: dxf2vrml output lacks the line")


def check_control_text():
    # Line breaks, a tab and a caret in a text and an extended-data string: the file stays
    # readable and the caret-decoded values are the texts we wrote.
    name = "yvex_r12_control_text.dxf"
    doc = ezdxf.readfile(os.path.join(OUT, name))
    texts = [e for e in doc.modelspace() if e.dxftype() == "TEXT"]
    check(len(texts) == 1, f"{name}: {len(texts)} texts")
    if texts:
        text = caret_decode(texts[0].dxf.text)
        check(text == "two\r\nlines\tand a caret ^J", f"{name}: text {text!r}")
    lines = [e for e in doc.modelspace() if e.dxftype() == "LINE"]
    check(len(lines) == 1, f"{name}: {len(lines)} lines")
    if lines:
        notes = [caret_decode(t.value) for t in lines[0].get_xdata("YVEXControl") if t.code == 1000]
        check(notes == ["note\nwith a break", "SHAPE IDS"], f"{name}: xdata strings {notes!r}")


def check_ac1012_sizes():
    name = "yvex_ac1012_binary.dxf"
    with open(os.path.join(OUT, name), "rb") as f:
        tags = [(t.code, t.value) for t in binary_tags_loader(f.read())]
    expected = [
        (0, "SECTION"), (2, "HEADER"), (9, "$ACADVER"), (1, "AC1012"), (0, "ENDSEC"),
        (0, "SECTION"), (2, "ENTITIES"), (0, "LINE"), (5, "2F"), (330, "1F"), (100, "AcDbEntity"),
        (8, "0"), (62, 256), (370, -3), (280, 5), (290, 1), (340, "2A"), (90, 70000),
        (1071, 123456789), (10, 1.5), (1010, -2.25), (1070, -7), (0, "ENDSEC"), (0, "EOF"),
    ]
    check(tags == expected, f"{name}: tags {tags}")


for drawing in ("yvex_r12_ascii.dxf", "yvex_r12_binary.dxf"):
    try:
        check_r12(drawing)
    except Exception as error:  # ezdxf refuses the file
        failures.append(f"{drawing}: {type(error).__name__}: {error}")
try:
    check_control_text()
except Exception as error:  # ezdxf refuses the file
    failures.append(f"control text: {type(error).__name__}: {error}")
try:
    check_ac1012_sizes()
except Exception as error:
    failures.append(f"ac1012: {type(error).__name__}: {error}")

for failure in failures:
    print("FAIL", failure)
if failures:
    sys.exit(1)
print("PASS dxf_output_readers")
