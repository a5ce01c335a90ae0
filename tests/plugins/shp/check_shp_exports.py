#!/usr/bin/python3
"""Reads the shapefiles that shp_export_test wrote (shp_out/) with two readers independent of
shapelib, pyshp and GDAL's ogrinfo, which must agree with each other and with the drawings the
test built: the kind of file, the records and their vertices and parts, the attribute columns
and one row per record."""
import glob
import math
import os
import re
import subprocess
import unittest

import shapefile

OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "plugins", "shp", "shp_out")


def read(name):
    reader = shapefile.Reader(os.path.join(OUT, name), encoding="cp1252")
    shapes = reader.shapes()
    records = reader.records()
    fields = [f[0] for f in reader.fields[1:]]
    reader.close()
    return shapes, records, fields


def ogr_features(path):
    """The features ogrinfo reads: a list of (number of points, {field: text})."""
    result = subprocess.run(["ogrinfo", "-ro", "-al", path], capture_output=True, text=True, check=True)
    if "ERROR" in result.stderr:
        raise AssertionError(result.stderr)
    features = []
    for block in result.stdout.split("OGRFeature(")[1:]:
        values = dict(re.findall(r"^\s+(\w+) \(\w+\) = (.*)$", block, re.M))
        geometry = re.search(r"^\s+((MULTI)?(LINESTRING|POLYGON) .*)$", block, re.M)
        number = r"-?\d+(?:\.\d+)?(?:e[-+]?\d+)?"
        points = len(re.findall(number + " " + number, geometry.group(1))) if geometry else 0
        features.append((points, values))
    return features


class Exports(unittest.TestCase):
    def test_every_file_has_a_row_per_record_and_both_readers_agree(self):
        files = sorted(glob.glob(os.path.join(OUT, "**", "*.shp"), recursive=True))
        self.assertGreater(len(files), 10, files)
        for path in files:
            with self.subTest(path=os.path.relpath(path, OUT)):
                shapes, records, fields = read(path)
                self.assertEqual(len(shapes), len(records))
                features = ogr_features(path)
                self.assertEqual(len(features), len(shapes))
                for shape, (points, _) in zip(shapes, features):
                    # ogrinfo may close a ring that the file leaves open; never fewer points.
                    self.assertIn(points - len(shape.points), (0, 1), (points, len(shape.points)))

    def test_kind_of_file(self):
        for name, kind, count in (("closed_only", shapefile.POLYGON, 3), ("one_line_more", shapefile.POLYLINE, 4),
                                  ("polygons_only", shapefile.POLYGON, 2), ("ellipse_arc", shapefile.POLYLINE, 2)):
            shapes, records, _ = read(name)
            self.assertEqual(len(shapes), count, name)
            self.assertTrue(all(s.shapeType == kind for s in shapes), name)
        shapes, _, _ = read("closed_only")
        for ring in shapes:
            self.assertEqual(ring.points[0], ring.points[-1], "a closed ring")

    def test_curves(self):
        shapes, _, _ = read("ellipse_arc")
        ellipse, arc = shapes
        self.assertEqual(len(ellipse.points), 25)
        self.assertEqual(ellipse.points[0], ellipse.points[-1])
        for k, (x, y) in enumerate(ellipse.points):
            a = 2 * math.pi * k / 24
            self.assertAlmostEqual(x, 100 + 20 * math.cos(a), places=3)
            self.assertAlmostEqual(y, 100 + 10 * math.sin(a), places=3)
        # From 300 degrees round through 0 to 30.
        self.assertEqual(len(arc.points), 25)
        for k in (0, 12, 24):
            a = math.radians(300 + 90 * k / 24)
            self.assertAlmostEqual(arc.points[k][0], 10 * math.cos(a), places=3)
            self.assertAlmostEqual(arc.points[k][1], 10 * math.sin(a), places=3)

    def test_groups_as_parts(self):
        shapes, records, _ = read("group_parts")
        self.assertEqual(len(shapes), 1)
        self.assertEqual(list(shapes[0].parts), [0, 4, 9])
        self.assertEqual(len(shapes[0].points), 15)
        self.assertEqual(list(shapes[0].points[9]), [0.0, 2.0])

    def test_long_shapes_and_many_parts(self):
        shapes, records, _ = read("big")
        self.assertEqual(len(shapes), 2)
        self.assertEqual(len(shapes[0].points), 15001)
        self.assertEqual(list(shapes[0].points[15000]), [15000.0, 15000 % 7])
        self.assertEqual(len(shapes[1].parts), 301)
        self.assertEqual(list(shapes[1].points[-1]), [300.0, 110.0])

    def test_columns_and_rows(self):
        shapes, records, fields = read("no_attributes")
        self.assertEqual(fields, ["ATTR"])
        self.assertEqual([list(r) for r in records], [[""]])
        # Two prompts of one name in different case: one column; a text has no record and no row.
        shapes, records, fields = read("prompts")
        self.assertEqual(fields, ["Name"])
        self.assertEqual([list(r) for r in records], [["M\u00fcller"], ["Berg"]])
        names = [values.get("Name") for _, values in ogr_features(os.path.join(OUT, "prompts.shp"))]
        self.assertEqual(names, ["M\u00fcller", "Berg"])
        shapes, records, fields = read("mode2")
        self.assertEqual(len(records), len(shapes))
        self.assertEqual([list(r) for r in records], [[""], [""]])
        shapes, records, fields = read("text_and_line")
        self.assertEqual((len(shapes), len(records)), (1, 1))

    def test_table_names(self):
        for name in ("x.shp", "x.shx", "x.dbf", "dir.v2/x.shp", "dir.v2/x.shx", "dir.v2/x.dbf"):
            self.assertTrue(os.path.exists(os.path.join(OUT, name)), name)
        self.assertFalse(os.path.exists(os.path.join(OUT, "dir.dbf")))

    def test_layers(self):
        # Lines at y = 0 and 2 are on layer A, the one at y = 1 on B.
        for name, ys in (("layer_a", [0.0, 2.0]), ("layer_b", [1.0]), ("layer_none", [])):
            shapes, records, _ = read(name)
            self.assertEqual([s.points[0][1] for s in shapes], ys, name)

    def test_images(self):
        for name in ("image", "image_kept_block"):
            shapes, records, _ = read(name)
            self.assertEqual(len(shapes), 1, name)
            xs = [p[0] for p in shapes[0].points]
            ys = [p[1] for p in shapes[0].points]
            # The picture of 40 x 20 from (10, 50): its block's shapes or its frame, within it.
            self.assertGreaterEqual(len(shapes[0].points), 5)
            self.assertGreaterEqual(min(xs), 10 - 0.5, name)
            self.assertLessEqual(max(xs), 50 + 0.5, name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
