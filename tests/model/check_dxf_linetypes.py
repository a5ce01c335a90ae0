#!/usr/bin/python3
"""ezdxf reads the drawing whose LTYPE table our line-type map wrote (model_linetypes_test)."""
import os
import sys

import ezdxf

path = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "model", "dxf_out", "linetypes.dxf")
doc = ezdxf.readfile(path)
failures = []

expected = {
    "BORDER": [0.5, -0.25, 0.5, -0.25, 0.0, -0.25],
    "DASHED": [0.5, -0.25],
    "DOT": [0.0, -0.25],
    "ACAD_ISO15W100": [0.5, -0.25, 0.5, -0.25, 0.0, -0.25, 0.0, -0.25, 0.0, -0.25],
    "LineType0": [2.0, -1.0],
}
for name, dashes in expected.items():
    if name not in doc.linetypes:
        failures.append(f"{name} missing")
        continue
    tags = [(t.code, t.value) for t in doc.linetypes.get(name).pattern_tags.tags]
    want = [(72, 65), (73, len(dashes)), (40, sum(abs(v) for v in dashes))] + [(49, v) for v in dashes]
    if len(tags) != len(want) or any(a[0] != b[0] or abs(a[1] - b[1]) > 1e-9 for a, b in zip(tags, want)):
        failures.append(f"{name}: pattern {tags}")
if doc.linetypes.get("BORDER").dxf.description.split(" ")[0] != "Border":
    failures.append("BORDER: description")
lines = list(doc.modelspace())
if len(lines) != 1 or lines[0].dxf.linetype != "DASHDOT" or tuple(lines[0].dxf.end)[:2] != (10, 5):
    failures.append(f"the line: {[(e.dxftype(), e.dxf.linetype) for e in lines]}")

if failures:
    print("FAIL", *failures, sep="\n  ")
    sys.exit(1)
print("PASS check_dxf_linetypes")
