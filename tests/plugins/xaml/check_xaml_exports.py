#!/usr/bin/python3
"""Reads the XAML documents that xaml_export_test wrote (xaml_out/): every one must pass xmllint,
and Python's XML parser must find in each the elements of the drawing the test built."""
import glob
import math
import os
import re
import subprocess
import unittest
import xml.etree.ElementTree as ET

OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "plugins", "xaml", "xaml_out")
NS = "{http://schemas.microsoft.com/client/2007}"
X = "{http://schemas.microsoft.com/winfx/2006/xaml}"


def parse(name):
    return ET.parse(os.path.join(OUT, name)).getroot()


def elements(root, tag):
    return [e for e in root.iter(NS + tag)]


def points(text):
    return [tuple(float(v) for v in p.split(",")) for p in text.split()]


class Documents(unittest.TestCase):
    def test_every_document_is_well_formed(self):
        files = sorted(glob.glob(os.path.join(OUT, "**", "*.xaml"), recursive=True))
        self.assertGreaterEqual(len(files), 10)
        for path in files:
            with self.subTest(path=os.path.basename(path)):
                result = subprocess.run(["xmllint", "--noout", path], capture_output=True, text=True)
                self.assertEqual(result.returncode, 0, result.stderr)
                with open(path, "rb") as f:
                    data = f.read()
                self.assertNotRegex(data, rb"\b(inf|nan)\b")
                # Every line feed goes out with its carriage return.
                self.assertEqual(data.count(b"\n"), data.count(b"\r\n"))

    def test_header_and_trailer_byte_for_byte(self):
        with open(os.path.join(OUT, "frame.xaml"), "rb") as f:
            data = f.read()
        header = (b'<Canvas x:Name="parentCanvas" \r\n'
                  b'\txmlns="http://schemas.microsoft.com/client/2007" \r\n'
                  b'\txmlns:x="http://schemas.microsoft.com/winfx/2006/xaml" \r\n'
                  b'\tWidth="700" \r\n'
                  b'\tHeight="700"> \r\n'
                  b'<Rectangle Visibility="Collapsed" Tag="BoundingRectangle" Canvas.Top="0" Canvas.Left="0" '
                  b'Width="700" Height="350"/>\r\n')
        self.assertEqual(data[:len(header)], header)
        self.assertTrue(data.endswith(b"\r\n\r\n</Canvas>"))
        lines = elements(parse("frame.xaml"), "Polyline")
        self.assertEqual(len(lines), 2)
        self.assertEqual(points(lines[0].get("Points")), [(0, 350), (700, 0)])

    def test_an_empty_drawing_and_one_of_no_extent(self):
        for name in ("empty.xaml", "point.xaml"):
            root = parse(name)
            marker = root[0]
            self.assertEqual(marker.get("Tag"), "BoundingRectangle")
            self.assertEqual((marker.get("Width"), marker.get("Height")), ("0", "0"))
        self.assertEqual(len(parse("empty.xaml")), 1)
        self.assertEqual(len(parse("point.xaml")), 2)

    def test_polygons_circles_and_ellipses(self):
        root = parse("shapes.xaml")
        polygons = elements(root, "Polygon")
        self.assertEqual(len(polygons), 3)
        fills = [p.find(NS + "Polygon.Fill") for p in polygons]
        self.assertIsNone(fills[0])
        self.assertIsNone(fills[1])
        self.assertEqual(fills[2].find(NS + "SolidColorBrush").get("Color"), "#0080FF")
        self.assertEqual(points(polygons[0].get("Points")), [(100, 590), (110, 590), (110, 600), (100, 600)])
        circle = elements(root, "Ellipse")[0]
        self.assertAlmostEqual(float(circle.get("StrokeThickness")), 1.3)
        self.assertEqual(circle.get("Stroke"), "#FF0000")
        self.assertEqual([float(circle.get(a)) for a in ("Canvas.Left", "Canvas.Top", "Width", "Height")],
                         [190, 540, 20, 20])
        curves = [points(p.get("Points")) for p in elements(root, "Polyline") if len(p.get("Points").split()) > 2]
        self.assertEqual(len(curves), 1)
        ellipse = curves[0]
        self.assertEqual(len(ellipse), 37)
        self.assertEqual(ellipse[0], ellipse[-1])
        for x, y in ellipse:
            # (x - 300)^2 / 40^2 + (y - 550)^2 / 20^2 = 1 about the centre (200, 50).
            self.assertAlmostEqual(((x - 300) / 40) ** 2 + ((y - 550) / 20) ** 2, 1, places=3)
        # The line of the block named SLV: nothing, with or without the workflow forms.
        for name in ("shapes.xaml", "shapes_workflow.xaml"):
            lines = [points(p.get("Points")) for p in elements(parse(name), "Polyline")]
            self.assertNotIn([(400, 300), (500, 200)], lines)
            self.assertEqual(len(lines), 2, name)

    def test_bezier_and_vertex_paths_with_arrowheads(self):
        root = parse("paths.xaml")
        paths = elements(root, "Path")
        beziers = elements(root, "BezierSegment")
        self.assertEqual(len(beziers), 1)
        b = beziers[0]
        self.assertEqual([b.get("Point%d" % k) for k in (1, 2, 3)], ["110,580", "120,580", "130,600"])
        figure = elements(paths[0], "PathFigure")[0]
        self.assertEqual(figure.get("StartPoint"), "100,600")
        arcs = elements(root, "ArcSegment")
        self.assertEqual([(a.get("Size"), a.get("SweepDirection"), a.get("Point")) for a in arcs],
                         [("1,1", "Counterclockwise", "202,500"), ("1,1", "Clockwise", "252,500")])
        arrows = [p for p in elements(root, "Polyline") if p.get("Fill")]
        self.assertEqual(len(arrows), 2)
        for arrow, tip in zip(arrows, [(400, 400), (300, 400)]):
            self.assertEqual(arrow.get("StrokeThickness"), "0.5")
            head = points(arrow.get("Points"))
            self.assertEqual(len(head), 3)
            # The two wings lie either side of the line, behind its tip.
            self.assertAlmostEqual(head[0][0], head[1][0])
            self.assertAlmostEqual(head[0][1] + head[1][1], 2 * tip[1])

    def test_texts_lines_escapes_and_block_tags(self):
        root = parse("texts.xaml")
        blocks = elements(root, "TextBlock")
        texts = ["".join(b.itertext()).strip() for b in blocks]
        self.assertEqual(texts[:3], ["one", "two", "three"])
        tops = [float(b.get("Canvas.Top")) for b in blocks[:3]]
        # k = 1.3 x height 10; the lines 1.05 k apart at one unit per canvas unit.
        self.assertAlmostEqual(tops[1] - tops[0], 13.65, places=3)
        self.assertAlmostEqual(tops[2] - tops[1], 13.65, places=3)
        self.assertAlmostEqual(float(blocks[0].get("FontSize")), 0.9 * 13, places=3)
        self.assertIn("bold text", texts)
        self.assertIn('<b> & "q"', texts)
        self.assertIn("M\u00fcller \u20ac", texts)
        tagged = [b for b in blocks if b.get("Tag")]
        self.assertEqual([("".join(b.itertext()).strip(), b.get("Tag")) for b in tagged], [("in block", "A&B; 7")])

    def test_images_saved_once(self):
        root = parse(os.path.join("pictures", "images.xaml"))
        images = elements(root, "Image")
        self.assertEqual([i.get("Source") for i in images], ["photo.jpg", "photo.jpg"])
        self.assertEqual([i.get("Width") for i in images], ["40", "40"])
        frames = [r for r in elements(root, "Rectangle") if r.get("Fill") == "Bisque"]
        self.assertEqual(len(frames), 1)
        self.assertEqual(sorted(os.listdir(os.path.join(OUT, "pictures"))), ["images.xaml", "photo.jpg", "plain.bmp"])

    def test_workflow_states_and_decisions(self):
        root = parse("workflow.xaml")
        rounded = [r for r in elements(root, "Rectangle") if r.get("RadiusX")]
        self.assertEqual(len(rounded), 1)
        self.assertEqual(rounded[0].get("Tag"), "wfState; 0")
        self.assertEqual([float(rounded[0].get(a)) for a in ("Canvas.Left", "Canvas.Top", "Width", "Height")],
                         [100, 580, 40, 20])
        rotations = elements(root, "RotateTransform")
        self.assertEqual([r.get("Angle") for r in rotations], ["45"])
        scale = elements(root, "ScaleTransform")[0]
        self.assertEqual((scale.get("ScaleX"), scale.get("ScaleY")), ("2", "1"))
        # Without the option both are plain paths.
        off = parse("workflow_off.xaml")
        self.assertEqual(len(elements(off, "Path")), 2)
        self.assertFalse([r for r in elements(off, "Rectangle") if r.get("RadiusX")])

    def test_metafile_images(self):
        # The picture: a rectangle and its diagonal, 40 x 20 units with its top left corner at
        # (10, 50), on a canvas of one unit per canvas unit whose top is 700.
        left, top, width, height = 110, 550, 40, 20

        def drawn(root):
            return root[2:]

        # Mode 1: the picture's shapes, fitted into the image's rectangle.
        shapes = drawn(parse("metafile_mode1.xaml"))
        self.assertEqual(sorted(e.tag for e in shapes), [NS + "Polygon", NS + "Polyline"])
        for e in shapes:
            xy = points(e.get("Points"))
            for x, y in xy:
                self.assertTrue(left - 0.5 <= x <= left + width + 0.5, xy)
                self.assertTrue(top - 0.5 <= y <= top + height + 0.5, xy)
        diagonal = points([e for e in shapes if e.tag == NS + "Polyline"][0].get("Points"))
        self.assertEqual(len(diagonal), 2)
        self.assertAlmostEqual(abs(diagonal[1][0] - diagonal[0][0]), width, delta=0.5)
        self.assertAlmostEqual(abs(diagonal[1][1] - diagonal[0][1]), height, delta=0.5)
        # Mode 2: a black frame in its place.
        shapes = drawn(parse("metafile_mode2.xaml"))
        self.assertEqual(len(shapes), 1)
        self.assertEqual(shapes[0].tag, NS + "Rectangle")
        self.assertEqual([float(shapes[0].get(a)) for a in ("Canvas.Left", "Canvas.Top", "Width", "Height")],
                         [left, top, width, height])
        self.assertEqual(shapes[0].get("Stroke"), "Black")
        # Any other mode: nothing.
        self.assertEqual(len(drawn(parse("metafile_mode0.xaml"))), 0)


if __name__ == "__main__":
    unittest.main()
