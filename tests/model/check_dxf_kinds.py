#!/usr/bin/python3
"""ezdxf reads the polylines, the rectangle and the line that model_storage_test wrote
(PolylineDxf.WritesADrawingThatEzdxfReads), ASCII and binary, with the same geometry."""
import os
import sys

import ezdxf

failures = []


def expect(what, got, want):
    if got != want:
        failures.append(f"{what}: {got!r}, expected {want!r}")


def close(what, got, want, tolerance=1e-6):
    if abs(got - want) > tolerance:
        failures.append(f"{what}: {got!r}, expected {want!r}")


def xdata(entity):
    return [(t.code, t.value) for t in entity.get_xdata("YVEXControl")]


def check(name):
    path = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "model", "dxf_out", name)
    doc = ezdxf.readfile(path)
    msp = doc.modelspace()
    polylines = list(msp.query("POLYLINE"))
    expect(f"{name} polylines", len(polylines), 3)
    if len(polylines) != 3:
        return
    opened, closed, rectangle = polylines

    expect(f"{name} open layer", opened.dxf.layer, "Walls")
    expect(f"{name} open closed", opened.is_closed, False)
    close(f"{name} open start width", opened.dxf.default_start_width, 0.0)
    close(f"{name} open end width", opened.dxf.default_end_width, 2.5)
    points = [tuple(v.dxf.location)[:2] for v in opened.vertices]
    expect(f"{name} open vertices", points, [(0.0, 0.0), (10.0, 0.0), (10.0, 10.0)])
    expect(f"{name} open vertex layers", {v.dxf.layer for v in opened.vertices}, {"Walls"})
    close(f"{name} open bulge", opened.vertices[1].dxf.bulge, 0.5)
    close(f"{name} open first bulge", opened.vertices[0].dxf.bulge, 0.0)

    expect(f"{name} closed", closed.is_closed, True)
    points = [tuple(v.dxf.location)[:2] for v in closed.vertices]
    expect(f"{name} closed vertices", points, [(20.0, 0.0), (30.0, 0.0), (25.0, 8.0)])
    close(f"{name} closed start width", closed.vertices[0].dxf.start_width, 1.0)
    close(f"{name} closed end width", closed.vertices[0].dxf.end_width, 2.0)
    close(f"{name} closed bulge", closed.vertices[2].dxf.bulge, -0.25)

    expect(f"{name} rectangle closed", rectangle.is_closed, True)
    expect(f"{name} rectangle vertices", len(rectangle.vertices), 4)
    # DXF's own flags: closed only (no curve fit, spline, 3D or mesh bits).
    expect(f"{name} rectangle flags", rectangle.dxf.flags, 1)
    tags = xdata(rectangle)
    if (1000, "POLYLINE DATA") in tags:
        expect(f"{name} rectangle flags in xdata", tags[tags.index((1000, "POLYLINE DATA")) + 1], (1071, 0x9001))
    else:
        failures.append(f"{name} rectangle: no POLYLINE DATA")

    lines = list(msp.query("LINE"))
    expect(f"{name} lines", len(lines), 1)
    if lines:
        expect(f"{name} line start", tuple(lines[0].dxf.start)[:2], (0.0, 20.0))
        expect(f"{name} line end", tuple(lines[0].dxf.end)[:2], (15.0, 25.0))
        tags = xdata(lines[0])
        if (1000, "ARROWS") in tags:
            at = tags.index((1000, "ARROWS"))
            expect(f"{name} line arrows", tags[at + 1:at + 3], [(1071, 2), (1071, 3)])
        else:
            failures.append(f"{name} line: no ARROWS")


check("kinds.dxf")
check("kinds_binary.dxf")
if failures:
    print("FAIL", *failures, sep="\n  ")
    sys.exit(1)
print("PASS check_dxf_kinds")
