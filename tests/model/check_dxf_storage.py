#!/usr/bin/python3
"""ezdxf reads the drawing of layers, a block and entities with our extended data that
model_storage_test wrote (ShapeDxf.WritesADrawingThatEzdxfReads)."""
import os
import sys

import ezdxf

path = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "model", "dxf_out", "storage.dxf")
doc = ezdxf.readfile(path)
failures = []


def expect(what, got, want):
    if got != want:
        failures.append(f"{what}: {got!r}, expected {want!r}")


walls = doc.layers.get("Walls")
expect("Walls colour", walls.dxf.color, -1)  # red, switched off
expect("Walls off", walls.is_off(), True)
locked = doc.layers.get("Locked")
expect("Locked locked", locked.is_locked(), True)
expect("Locked line type", locked.dxf.linetype, "DASHED")

door = doc.blocks.get("Door")
expect("Door base point", tuple(door.block.dxf.base_point), (0.0, 0.0, 0.0))
expect("Door entities", [e.dxftype() for e in door], ["LINE"])

lines = {e.dxf.handle: e for e in doc.modelspace() if e.dxftype() == "LINE"}
expect("model space lines", sorted(lines), ["12C", "12D"])
first = lines.get("12C")
if first is not None:
    expect("layer", first.dxf.layer, "Walls")
    expect("colour", first.dxf.color, 3)
    expect("line type scale", first.dxf.ltscale, 2.0)
    expect("thickness", first.dxf.thickness, 0.5)
    expect("end", tuple(first.dxf.end)[:2], (10.0, 5.0))
    tags = [(t.code, t.value) for t in first.get_xdata("YVEXControl")]
    expect("first xdata opening", tags[:4], [(1002, "{"), (1000, "SHAPE IDS"), (1070, 77), (1071, 0)])
    expect("first xdata closing", tags[-1], (1002, "}"))
    hatch = tags.index((1000, "SHAPE HATCH DATA"))
    expect("hatch data", tags[hatch + 2], (1071, 3))
    expect("no parent", (1000, "PARENT ID") in tags, False)
grouped = lines.get("12D")
if grouped is not None:
    tags = [(t.code, t.value) for t in grouped.get_xdata("YVEXControl")]
    parent = tags.index((1000, "PARENT ID"))
    expect("parent value", tags[parent + 1][0], 1071)
    linked = tags.index((1000, "LINKED POINTS"))
    expect("linked count", tags[linked + 1], (1070, 1))

if failures:
    print("FAIL", *failures, sep="\n  ")
    sys.exit(1)
print("PASS check_dxf_storage")
