#!/usr/bin/python3
"""The drawings that control_dxf_transfer_test saved through the control, read by an independent
reader: ezdxf.readfile (strict; ASCII and binary) and its audit, with the layers, entities and
header values the test drew."""
import os
import sys

import ezdxf

OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "control", "dxf_out")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def kinds(doc):
    found = {}
    for entity in doc.modelspace():
        found[entity.dxftype()] = found.get(entity.dxftype(), 0) + 1
    return found


for name, version in [("ours_r12_ascii.dxf", "AC1009"), ("ours_r12_binary.dxf", "AC1009"),
                      ("ours_r13_ascii.dxf", "AC1012"), ("ours_r13_binary.dxf", "AC1012")]:
    path = os.path.join(OUT, name)
    try:
        doc = ezdxf.readfile(path)
    except Exception as error:  # the reader's refusal is the finding
        failures.append(f"{name}: {error!r}")
        continue
    auditor = doc.audit()
    check(not auditor.has_errors, f"{name}: audit errors {[str(e.message) for e in auditor.errors]}")
    # ezdxf takes AC1012 in as R2000 and remembers what it loaded.
    check(doc.loaded_dxfversion == version, f"{name}: version {doc.loaded_dxfversion}")
    check(doc.header.get("$INSUNITS") == 6, f"{name}: $INSUNITS {doc.header.get('$INSUNITS')}")
    check("WALLS" in doc.layers and "0" in doc.layers, f"{name}: layers {[l.dxf.name for l in doc.layers]}")
    found = kinds(doc)
    polylines = found.get("POLYLINE", 0) + found.get("LWPOLYLINE", 0)
    check(found.get("LINE") == 2 and polylines == 2 and len(found) == 2, f"{name}: entities {found}")
    walls = sorted(e.dxftype() for e in doc.modelspace() if e.dxf.layer == "WALLS")
    check(len(walls) == 3 and walls[0] == "LINE", f"{name}: on WALLS {walls}")
    check("YVEXControl" in doc.appids and "ACAD" in doc.appids, f"{name}: appids")
    line = [e for e in doc.modelspace().query("LINE") if e.dxf.layer == "WALLS"]
    check(len(line) == 1 and abs(line[0].dxf.end[0] - 100.0) < 1e-4, f"{name}: line")

one = os.path.join(OUT, "ours_one_line.dxf")
try:
    doc = ezdxf.readfile(one)
    check(kinds(doc) == {"LINE": 1}, f"ours_one_line.dxf: entities {kinds(doc)}")
except Exception as error:
    failures.append(f"ours_one_line.dxf: {error!r}")

for f in failures:
    print("FAIL:", f)
print(f"{4 - len(failures)} checks passed" if not failures else f"{len(failures)} failures")
sys.exit(1 if failures else 0)
