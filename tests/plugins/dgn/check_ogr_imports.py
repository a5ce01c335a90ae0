#!/usr/bin/python3
"""What the importer made of ogr2ogr's 3-D design files (written by dgn_import_test into
dgn_import_out/NAME.dgn.txt: the reported scale, shift and turn, then one line per shape) against
what `ogrinfo` reads from the same files: one shape per feature in file order, as many points
(a closed polygon without its repeated last point), and every point within 1e-6 of the
extent once the mapping is undone. Texts are compared by count only (their anchor moves them)."""
import math
import os
import re
import subprocess
import sys

SOURCE = os.environ["YVEX_SOURCE_DIR"]
OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "plugins", "dgn", "dgn_import_out")
FIXTURES = os.path.join(SOURCE, "tests", "fixtures", "dgn")
sys.path.insert(0, FIXTURES)
from make_design_files import OGR_3D_OPTIONS  # noqa: E402


def option(name):
    for value in OGR_3D_OPTIONS:
        if value.startswith(name + "="):
            return value.split("=", 1)[1]
    raise KeyError(name)


# Design units per master unit, and the global origin in master units, as ogr2ogr was told.
UOR_PER_MASTER = float(option("SUB_UNITS_PER_MASTER_UNIT")) * float(option("UOR_PER_SUB_UNIT"))
ORIGIN = [float(v) for v in option("ORIGIN").split(",")]


def ogr_features(path):
    """(kind, points) per feature: kind is line, polyline, closed or text."""
    text = subprocess.run(["ogrinfo", "-al", "-q", path], check=True, capture_output=True, text=True).stdout
    features = []
    element_type = None
    for line in text.splitlines():
        line = line.strip()
        m = re.match(r"Type \(Integer\) = (\d+)", line)
        if m:
            element_type = int(m.group(1))
            continue
        m = re.match(r"(LINESTRING|POLYGON|POINT) Z \((.*)\)$", line)
        if not m:
            continue
        body = m.group(2).strip("()")
        points = [tuple(float(v) for v in p.split()[:2]) for p in body.split(",")]
        if m.group(1) == "POINT":
            features.append(("text", []))
        elif m.group(1) == "POLYGON":
            features.append(("closed", points[:-1] if points[0] == points[-1] else points))
        else:
            features.append(("line" if element_type == 3 else "polyline", points))
    return features


def imported(path):
    with open(path) as f:
        lines = f.read().splitlines()
    head = lines[0].split()
    assert head[0] == "mapping", head
    scale, shift_x, shift_y, turn, base_x, base_y = (float(v) for v in head[1:7])
    shapes = []
    for line in lines[1:]:
        parts = line.split()
        values = [float(v) for v in parts[1:]]
        points = []
        for x, y in zip(values[0::2], values[1::2]):
            # The view turn taken back about its centre, the shift, the scale, then design
            # units to master units about the global origin.
            if turn:
                c, s = math.cos(-turn), math.sin(-turn)
                dx, dy = x - base_x, y - base_y
                x, y = base_x + dx * c - dy * s, base_y + dx * s + dy * c
            x = (x - shift_x) / scale / UOR_PER_MASTER - ORIGIN[0]
            y = (y - shift_y) / scale / UOR_PER_MASTER - ORIGIN[1]
            points.append((x, y))
        shapes.append((parts[0], points))
    return shapes


failures = []
for name in ("ogr_3d.dgn", "ogr_shapes_3d.dgn"):
    written = os.path.join(OUT, name + ".txt")
    if not os.path.exists(written):
        failures.append(f"{written}: not written (dgn_import_test runs first)")
        continue
    expected = ogr_features(os.path.join(FIXTURES, "design_files", name))
    got = imported(written)
    if len(got) != len(expected):
        failures.append(f"{name}: {len(got)} shapes, ogrinfo reads {len(expected)} features")
        continue
    every = [p for _, points in expected for p in points]
    extent = max(max(p[0] for p in every) - min(p[0] for p in every), max(p[1] for p in every) - min(p[1] for p in every))
    for i, ((kind, points), (want_kind, want)) in enumerate(zip(got, expected)):
        if kind != want_kind or len(points) != len(want):
            failures.append(f"{name} #{i}: {kind} of {len(points)} points, ogrinfo: {want_kind} of {len(want)}")
            continue
        for j, (p, q) in enumerate(zip(points, want)):
            if abs(p[0] - q[0]) > 1e-6 * extent or abs(p[1] - q[1]) > 1e-6 * extent:
                failures.append(f"{name} #{i} point {j}: {p}, ogrinfo {q}")
    print(f"{name}: {len(got)} shapes as ogrinfo reads them")

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
