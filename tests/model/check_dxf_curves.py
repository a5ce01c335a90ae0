#!/usr/bin/python3
"""ezdxf reads the AC1012 drawing that model_storage_test wrote (CurvesDxf.WritesEllipsesLayers-
AndReferences), ASCII and binary: audit() finds nothing to fix, the layers keep their switches,
and the ELLIPSE entities and the INSERT show the points we drew (curves_ours.points)."""
import math
import os
import sys

import ezdxf

failures = []
OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "model", "dxf_out")
FRACTIONS = (0, 0.25, 0.5, 0.75, 1)


def expect(what, got, want):
    if got != want:
        failures.append(f"{what}: {got!r}, expected {want!r}")


def close(what, got, want, tolerance=1e-4):
    if abs(got[0] - want[0]) > tolerance or abs(got[1] - want[1]) > tolerance:
        failures.append(f"{what}: {got!r}, expected {want!r}")


def ours():
    lines = []
    with open(os.path.join(OUT, "curves_ours.points")) as f:
        for line in f:
            words = line.split()
            values = [float(v) for v in words[1:]]
            lines.append((words[0], list(zip(values[0::2], values[1::2]))))
    return lines


def check(name):
    doc = ezdxf.readfile(os.path.join(OUT, name))
    expect(f"{name} version", doc.dxfversion >= "AC1012", True)
    auditor = doc.audit()
    expect(f"{name} audit fixes", [f.message for f in auditor.fixes], [])
    expect(f"{name} audit errors", [e.message for e in auditor.errors], [])

    walls, doors = doc.layers.get("Walls"), doc.layers.get("Doors")
    expect(f"{name} Walls frozen", walls.is_frozen(), True)
    expect(f"{name} Walls colour", walls.color, 1)
    expect(f"{name} Doors locked", doors.is_locked(), True)
    expect(f"{name} Doors off", doors.is_off(), True)

    entities = list(doc.modelspace())
    expected = ours()
    expect(f"{name} entities", [e.dxftype() for e in entities], [kind for kind, _ in expected])
    for i, (entity, (kind, points)) in enumerate(zip(entities, expected)):
        if kind == "ELLIPSE" and entity.dxftype() == "ELLIPSE":
            if entity.dxf.ratio > 1:
                failures.append(f"{name} ellipse {i}: ratio {entity.dxf.ratio} above 1")
            start, end = entity.dxf.start_param, entity.dxf.end_param
            sweep = (end - start) % (2 * math.pi) or 2 * math.pi
            got = [tuple(p)[:2] for p in entity.vertices([start + f * sweep for f in FRACTIONS])]
            for f, g, w in zip(FRACTIONS, got, points):
                close(f"{name} ellipse {i} at {f}", g, w)
        elif kind == "INSERT" and entity.dxftype() == "INSERT":
            expect(f"{name} insert block", entity.dxf.name, "Door")
            expect(f"{name} insert layer", entity.dxf.layer, "Doors")
            line = next(iter(entity.virtual_entities()))
            close(f"{name} insert start", tuple(line.dxf.start)[:2], points[0])
            close(f"{name} insert end", tuple(line.dxf.end)[:2], points[1])
    expect(f"{name} first ellipse layer", entities[0].dxf.layer if entities else None, "Walls")


check("curves.dxf")
check("curves_binary.dxf")
if failures:
    print("FAIL", *failures, sep="\n  ")
    sys.exit(1)
print("PASS check_dxf_curves")
