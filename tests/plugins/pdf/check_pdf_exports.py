#!/usr/bin/python3
"""Reads the PDF files that pdf_engine_test and pdf_export_test wrote (pdf_out/) with tools of
their own: qpdf checks each file's structure, pdfinfo its page, pdftotext finds the texts where
they were drawn, pdftoppm renders the page, whose pixels show the fills, hatches and curves."""
import glob
import os
import re
import subprocess
import tempfile
import unittest

OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "plugins", "pdf", "pdf_out")
# pdftoppm at 72 dpi: one pixel a point.
DPI = 72


def run(*args):
    return subprocess.run(list(args), capture_output=True, text=True)


def words(name):
    """(text, xMin, yMin, xMax, yMax) of every word pdftotext finds, in points from the top left."""
    result = run("pdftotext", "-bbox", os.path.join(OUT, name), "-")
    found = []
    for m in re.finditer(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>',
                         result.stdout):
        found.append((m.group(5), float(m.group(1)), float(m.group(2)), float(m.group(3)), float(m.group(4))))
    return found


class Page:
    """The page rendered at one pixel a point: pixel(x, y) from the top left."""

    def __init__(self, name, dpi=DPI):
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run(["pdftoppm", "-r", str(dpi), os.path.join(OUT, name), os.path.join(folder, "p")],
                           check=True)
            path = glob.glob(os.path.join(folder, "p*.ppm"))[0]
            with open(path, "rb") as f:
                data = f.read()
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.pixels = data[header.end():]
        self.scale = dpi / 72.0

    def pixel(self, x, y):
        x, y = int(x * self.scale), int(y * self.scale)
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def colours(self, x0, y0, x1, y1):
        """The set of colours in the rectangle (points)."""
        found = set()
        for y in range(int(y0 * self.scale), int(y1 * self.scale)):
            for x in range(int(x0 * self.scale), int(x1 * self.scale)):
                i = (y * self.width + x) * 3
                found.add(tuple(self.pixels[i:i + 3]))
        return found


def near(colour, target, tolerance=60):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, target))


def has(colours, target, tolerance=60):
    return any(near(c, target, tolerance) for c in colours)


RED, GREEN, BLUE, WHITE, MAGENTA, BLACK = (255, 0, 0), (0, 160, 0), (0, 0, 255), (255, 255, 255), (255, 0, 255), (0, 0, 0)


class Files(unittest.TestCase):
    def test_every_file_passes_qpdf_and_renders(self):
        files = sorted(glob.glob(os.path.join(OUT, "*.pdf")))
        self.assertTrue(files)
        for path in files:
            with self.subTest(path=os.path.basename(path)):
                result = run("qpdf", "--check", path)
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
                info = run("pdfinfo", path)
                self.assertIn("595.276 x 841.89 pts (A4)", info.stdout)
                self.assertRegex(info.stdout, r"Pages: +1\n")


class Engine(unittest.TestCase):
    def test_texts_where_drawn(self):
        found = {w[0]: w[1:] for w in words("engine.pdf")}
        self.assertIn("Hello", found)
        self.assertIn("(PDF)", found)
        x0, y0, x1, y1 = found["Hello"]
        self.assertAlmostEqual(x0, 100, delta=3)
        self.assertAlmostEqual(y0, 300, delta=5)
        # The rotated text runs upwards from (450, 400): narrow and tall.
        x0, y0, x1, y1 = found["Upwards"]
        self.assertLess(x1 - x0, y1 - y0)
        self.assertAlmostEqual(y1, 400, delta=5)

    def test_fills_hatches_and_curves(self):
        page = Page("engine.pdf")
        # Thin lines come out whole at a finer resolution.
        fine = Page("engine.pdf", dpi=300)
        inside = fine.colours(105, 105, 195, 195)
        self.assertTrue(has(inside, RED), inside)
        self.assertTrue(has(inside, WHITE))
        self.assertTrue(near(page.pixel(250, 150), WHITE))
        self.assertTrue(near(page.pixel(350, 125), GREEN))
        self.assertTrue(near(page.pixel(395, 145), WHITE))
        # The arc, in the DC pen's blue: its upper right quarter only.
        self.assertTrue(has(fine.colours(183, 362, 190, 369), BLUE))
        self.assertFalse(has(fine.colours(110, 431, 117, 438), BLUE))
        self.assertFalse(has(fine.colours(183, 431, 190, 438), BLUE))
        # The picture's halves and the placed metafile.
        self.assertTrue(near(page.pixel(115, 516), RED))
        self.assertTrue(near(page.pixel(150, 516), BLUE))
        self.assertTrue(near(page.pixel(450, 525), MAGENTA))


# The page of shapes.pdf: page scale 2, left 0, top 100.5.
def X(x):
    return 29.7638 + 2 * x


def Y(y):
    return 42.0945 + 2 * (100.5 - y)


class Export(unittest.TestCase):
    def test_hatch_fill_only_when_closed(self):
        page = Page("shapes.pdf", dpi=300)
        closed = page.colours(X(10) + 2, Y(90) + 2, X(40) - 2, Y(60) - 2)
        self.assertTrue(has(closed, RED), closed)
        self.assertTrue(has(closed, WHITE))
        # Horizontal stripes: a row of red across the square, columns of white between them.
        rows = [page.colours(X(10) + 2, y, X(40) - 2, y + 0.25) for y in [Y(90) + 2 + k * 0.5 for k in range(100)]]
        self.assertTrue(any(all(near(c, RED, 90) for c in row) for row in rows))
        opened = page.colours(X(50) + 2, Y(90) + 2, X(80) - 2, Y(60) - 2)
        self.assertFalse(has(opened, RED), opened)
        # Stroked in the pen's blue.
        self.assertTrue(has(page.colours(X(50) + 2, Y(90) - 1, X(80) - 2, Y(90) + 1), BLUE))

    def test_circle_ellipse_and_mirrored_arc_at_their_size(self):
        page = Page("shapes.pdf", dpi=600)
        # The circle of radius 0.5: 1 point on the page.
        cx, cy = X(120), Y(80)
        self.assertTrue(has(page.colours(cx + 0.7, cy - 0.3, cx + 1.3, cy + 0.3), BLACK))
        self.assertFalse(has(page.colours(cx + 2, cy - 0.5, cx + 3, cy + 0.5), BLACK))
        # The ellipse 40 x 20: 80 x 40 points, its ends at 40 and 20 points from the centre.
        cx, cy = X(170), Y(75)
        self.assertTrue(has(page.colours(cx + 39, cy - 1, cx + 41, cy + 1), BLACK))
        self.assertTrue(has(page.colours(cx - 41, cy - 1, cx - 39, cy + 1), BLACK))
        self.assertTrue(has(page.colours(cx - 1, cy - 21, cx + 1, cy - 19), BLACK))
        self.assertFalse(has(page.colours(cx + 42, cy - 1, cx + 46, cy + 1), BLACK))
        self.assertFalse(has(page.colours(cx - 1, cy - 23, cx + 1, cy - 21.5), BLACK))
        # The mirrored arc of radius 10 (20 points): the quarter below and right of its centre.
        cx, cy = X(230), Y(75)
        d = 20 / 2 ** 0.5
        self.assertTrue(has(page.colours(cx + d - 1, cy + d - 1, cx + d + 1, cy + d + 1), BLACK))
        for sx, sy in ((1, -1), (-1, -1), (-1, 1)):
            self.assertFalse(has(page.colours(cx + sx * d - 1, cy + sy * d - 1, cx + sx * d + 1, cy + sy * d + 1), BLACK),
                             (sx, sy))

    def test_pictures_of_jpeg_only(self):
        page = Page("shapes.pdf", dpi=150)
        # The images' top left corners at y = 40, 20 x 10 units each.
        self.assertFalse(has(page.colours(X(150) + 2, Y(40) + 2, X(170) - 2, Y(30) - 2), BLUE))
        self.assertFalse(has(page.colours(X(180) + 2, Y(40) + 2, X(200) - 2, Y(30) - 2), BLUE))
        self.assertTrue(near(page.pixel(X(220), Y(35)), BLUE))
        # The bitmap and the GIF picture, 20 x 10 units from y = 20 down.
        for left in (150, 180):
            self.assertTrue(near(page.pixel(X(left + 10), Y(15)), BLUE), left)
            self.assertTrue(near(page.pixel(X(left + 10), Y(15) + 14), WHITE), left)

    def test_tabs_and_alignment(self):
        found = {w[0]: w[1:] for w in words("shapes.pdf")}
        # "Left" at its anchor, "Tab" ten columns on.
        self.assertAlmostEqual(found["Left"][0], X(10), delta=2)
        self.assertGreater(found["Tab"][0], found["Left"][2] + 20)
        # "Right" starts left of its anchor x = 140 (pdf_export_test checks by how much).
        self.assertLess(found["Right"][0], X(140) - 5)

    def test_rtf_paragraphs_in_red(self):
        found = words("shapes.pdf")
        texts = [w[0] for w in found]
        self.assertIn("First", texts)
        self.assertIn("Second", texts)
        first = [w for w in found if w[0] == "First"][0]
        second = [w for w in found if w[0] == "Second"][0]
        self.assertAlmostEqual(first[1], X(10), delta=2)
        self.assertGreater(second[2], first[2] + 5)
        page = Page("shapes.pdf", dpi=300)
        for w in (first, second):
            colours = page.colours(w[1], w[2], w[3], w[4])
            self.assertTrue(has(colours, RED, 40), w)
            self.assertFalse(has(colours, BLACK, 60), w)

    def test_a_drawing_twice_as_wide_as_high(self):
        page = Page("ratio.pdf", dpi=300)
        # The metafile picture over its rectangle: 40 x 20 units from (100, 80), the page scale
        # 0.9 x 595.2756 / 200.
        scale = 0.9 * 595.2756 / 200
        left, top = 29.7638 + 100 * scale, 42.0945 + 20 * scale
        right, bottom = left + 40 * scale, top + 20 * scale
        mid_x, mid_y = (left + right) / 2, (top + bottom) / 2
        for x0, y0, x1, y1 in ((left - 1.5, mid_y - 10, left + 1.5, mid_y + 10),
                               (right - 1.5, mid_y - 10, right + 1.5, mid_y + 10),
                               (mid_x - 10, top - 1.5, mid_x + 10, top + 1.5),
                               (mid_x - 10, bottom - 1.5, mid_x + 10, bottom + 1.5)):
            self.assertTrue(page.colours(x0, y0, x1, y1) - {WHITE}, (x0, y0))
        self.assertEqual(page.colours(left + 4, top + 4, right - 4, bottom - 4), {WHITE})
        self.assertEqual(page.colours(left - 8, top - 8, left - 3, bottom), {WHITE})
        # The frame's top left corner at (29.76, 42.09); its right side at 95 % of the width.
        self.assertTrue(has(page.colours(100, 41.5, 101, 42.7), BLACK))
        self.assertFalse(has(page.colours(100, 40, 101, 41.2), BLACK))
        self.assertTrue(has(page.colours(29.2, 100, 30.4, 101), BLACK))
        self.assertFalse(has(page.colours(27, 100, 28.9, 101), BLACK))
        self.assertTrue(has(page.colours(565, 100, 566.1, 101), BLACK))

    def test_the_sample_texts_are_found(self):
        texts = [w[0] for w in words("recorded.pdf")]
        self.assertIn("three", texts)


if __name__ == "__main__":
    unittest.main()
