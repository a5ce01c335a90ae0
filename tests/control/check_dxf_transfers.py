#!/usr/bin/python3
"""The drawings that control_dxf_transfer_test saved through the control, read by an independent
reader: ezdxf.readfile (strict; ASCII and binary) and its audit, with the layers, entities and
header values the test drew."""
import io
import os
import sys

import ezdxf
from ezdxf.lldxf.tagger import ascii_tags_loader, binary_tags_loader

OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "control", "dxf_out")
failures = []
TABLE_TYPES = ("VPORT", "LTYPE", "LAYER", "STYLE", "APPID")


def check(condition, message):
    if not condition:
        failures.append(message)


def raw_tags(path):
    """The file's groups as written, before any reader repairs them."""
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"AutoCAD Binary DXF"):
        return list(binary_tags_loader(data))
    return list(ascii_tags_loader(io.StringIO(data.decode("cp1252").replace("\r\n", "\n"))))


def check_handles(name, path, version):
    """$HANDSEED above every handle, no handle twice, every table and table entry of the
    subclassed version with its own, and the root dictionary first among the objects."""
    tags = raw_tags(path)
    seed = None
    handles = []
    for i, tag in enumerate(tags):
        if i > 0 and tags[i - 1] == (9, "$HANDSEED"):
            seed = int(tag.value, 16)
        elif tag.code in (5, 105):
            handles.append(int(tag.value, 16))
    check(seed is not None, f"{name}: no $HANDSEED")
    if seed is not None and handles:
        check(max(handles) < seed, f"{name}: $HANDSEED {seed:X} not above handle {max(handles):X}")
    check(len(handles) == len(set(handles)), f"{name}: a handle is written twice")
    if version == "AC1012":
        section = None
        for i, tag in enumerate(tags[:-1]):
            if tag.code == 2 and tags[i - 1] == (0, "SECTION"):
                section = tag.value
            elif section == "TABLES" and tag.code == 0 and tag.value in TABLE_TYPES + ("TABLE",):
                after = tags[i + 2] if tag.value == "TABLE" else tags[i + 1]
                check(after.code == 5, f"{name}: {tag.value} {tags[i + 1].value} without its handle")
        objects = [i for i, t in enumerate(tags[:-1]) if t == (2, "OBJECTS") and tags[i - 1] == (0, "SECTION")]
        check(len(objects) == 1 and tags[objects[0] + 1] == (0, "DICTIONARY"),
              f"{name}: OBJECTS does not begin with the root dictionary")


def read_and_audit(name, version):
    """ezdxf.readfile, then an audit that finds nothing to report and nothing to repair."""
    path = os.path.join(OUT, name)
    try:
        doc = ezdxf.readfile(path)
    except Exception as error:  # the reader's refusal is the finding
        failures.append(f"{name}: {error!r}")
        return None
    auditor = doc.audit()
    check(not auditor.has_errors, f"{name}: audit errors {[str(e.message) for e in auditor.errors]}")
    check(not auditor.has_fixes, f"{name}: audit fixes {[str(e.message) for e in auditor.fixes]}")
    check_handles(name, path, version)
    return doc


def kinds(doc):
    found = {}
    for entity in doc.modelspace():
        found[entity.dxftype()] = found.get(entity.dxftype(), 0) + 1
    return found


for name, version in [("ours_r12_ascii.dxf", "AC1009"), ("ours_r12_binary.dxf", "AC1009"),
                      ("ours_r13_ascii.dxf", "AC1012"), ("ours_r13_binary.dxf", "AC1012")]:
    doc = read_and_audit(name, version)
    if doc is None:
        continue
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

# Drawings saved again by a control that loaded them (ours above, and one with two pictures):
# every version and form reads with an audit that repairs nothing, and only the pictures drawn
# have their definitions.
for version, tag in (("AC1009", "r12"), ("AC1012", "r13")):
    for form in ("ascii", "binary"):
        for drawing, images in (("reloaded", 0), ("pictures", 1)):
            name = f"{drawing}_{tag}_{form}.dxf"
            doc = read_and_audit(name, version)
            if doc is None:
                continue
            check(doc.loaded_dxfversion == version, f"{name}: version {doc.loaded_dxfversion}")
            defs = [d.dxf.filename for d in doc.objects.query("IMAGEDEF")]
            if version == "AC1012":
                check(len(defs) == images, f"{name}: image definitions {defs}")
                pictures = [e for e in doc.modelspace().query("IMAGE")]
                check(len(pictures) == 2 * images, f"{name}: {len(pictures)} images")
                check(all(p.image_def is not None and p.image_def.dxf.filename in defs for p in pictures),
                      f"{name}: an image names no definition")

one = os.path.join(OUT, "ours_one_line.dxf")
try:
    doc = ezdxf.readfile(one)
    check(kinds(doc) == {"LINE": 1}, f"ours_one_line.dxf: entities {kinds(doc)}")
except Exception as error:
    failures.append(f"ours_one_line.dxf: {error!r}")

for f in failures:
    print("FAIL:", f)
print("all drawings read" if not failures else f"{len(failures)} failures")
sys.exit(1 if failures else 0)
