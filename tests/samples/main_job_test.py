#!/usr/bin/python3
"""The main job as a user runs it: the sample host embeds the control, builds or imports a site,
saves it in the database, loads it into a fresh control and writes a picture, a DXF file and a
metafile. The outputs are read back with independent readers (a PNG decoder over zlib, ezdxf,
the EMF header), the database with SQLite's own module."""
import configparser
import os
import re
import sqlite3
import struct
import subprocess
import sys
import tempfile
import unittest

import ezdxf
import olefile
import shapefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from png_file import read_png  # noqa: E402

SOURCE = os.environ["YVEX_SOURCE_DIR"]
BINARY = os.environ["YVEX_BINARY_DIR"]
HOST = os.path.join(BINARY, "samples", "host", "yvex_host.exe")
WINE_RUN = os.path.join(SOURCE, "tools", "wine-run")
PG_DSN = os.environ.get("YVEX_PG_DSN", "YVEX_PG")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_host(out_dir, *args):
    command = [WINE_RUN, HOST, "--out", windows_path(out_dir)] + list(args)
    result = subprocess.run(command, capture_output=True, text=True, timeout=600)
    return result.returncode, result.stdout, result.stderr


def default_database():
    """The SQLite file behind the data source "YVEX" of the run's ODBC file."""
    parser = configparser.ConfigParser(strict=False, interpolation=None)
    parser.read(os.environ["YVEX_ODBCINI"])
    return parser["YVEX"]["Database"]


def sites_named(name):
    with sqlite3.connect(default_database()) as db:
        return [row[0] for row in db.execute("select SiteID from Sites where Name = ? order by SiteID", (name,))]


def drawn_box(path):
    """The box around the pixels that are not white, and how many there are."""
    width, height, channels, rows = read_png(path)
    left, top, right, bottom, count = width, height, -1, -1, 0
    for y, row in enumerate(rows):
        for x in range(width):
            r, g, b = row[x * channels:x * channels + 3]
            if r < 200 or g < 200 or b < 200:
                count += 1
                left, right = min(left, x), max(right, x)
                top, bottom = min(top, y), max(bottom, y)
    return (width, height), (left, top, right, bottom), count


class Picture:
    """The sample picture with the world-to-pixel mapping read off the picture itself: the
    dimension line from (0, -10) to (150, -10) is its longest horizontal run of dark pixels, and
    the view is isotropic with y up."""

    def __init__(self, path):
        self.width, self.height, channels, rows = read_png(path)
        self.pixels = [[tuple(row[x * channels:x * channels + 3]) for x in range(self.width)] for row in rows]
        best = (0, 0, 0, 0)
        for y, row in enumerate(self.pixels):
            x = 0
            while x < self.width:
                if not self.dark(row[x]):
                    x += 1
                    continue
                start = x
                while x < self.width and self.dark(row[x]):
                    x += 1
                if x - start > best[0]:
                    best = (x - start, start, x - 1, y)
        length, left, right, row = best
        self.scale = (right - left) / 150.0
        self.origin = (left, row - 10 * self.scale)

    @staticmethod
    def dark(pixel):
        return max(pixel) < 100

    def at(self, x, y):
        return (round(self.origin[0] + x * self.scale), round(self.origin[1] - y * self.scale))

    def count(self, left, bottom, right, top, test):
        """How many pixels of the world rectangle pass the test."""
        x0, y0 = self.at(left, top)
        x1, y1 = self.at(right, bottom)
        return sum(1 for py in range(max(0, y0), min(self.height, y1 + 1))
                   for px in range(max(0, x0), min(self.width, x1 + 1)) if test(self.pixels[py][px]))

    def near(self, x, y, reach, test=None):
        return self.count(x - reach, y - reach, x + reach, y + reach, test or self.dark)


def reddish(pixel):
    r, g, b = pixel
    return r > 150 and g < 110 and b < 110


def painted(pixel):
    """A pixel of the sample bitmap: red near 200 under blue and green gradients."""
    r, g, b = pixel
    return 150 < r < 240 and max(g, b) > 60 and min(g, b) < 200


def entity_counts(path):
    document = ezdxf.readfile(path)
    auditor = document.audit()
    counts = {}
    for entity in document.modelspace():
        counts[entity.dxftype()] = counts.get(entity.dxftype(), 0) + 1
    return counts, [str(e) for e in auditor.errors]


class MainJob(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory(prefix="yvex-main-job-")
        # The embedded default database of these runs is a new file of their own: the run's
        # default database belongs to the tests that roll their work back.
        parser = configparser.ConfigParser(strict=False, interpolation=None)
        parser.optionxform = str
        parser.read(os.environ["YVEX_ODBCINI"])
        parser["YVEX"]["Database"] = os.path.join(cls.work.name, "main-job.sqlite")
        ini = os.path.join(cls.work.name, "main-job-odbc.ini")
        with open(ini, "w") as f:
            parser.write(f, space_around_delimiters=False)
        cls.saved_ini = os.environ["YVEX_ODBCINI"]
        os.environ["YVEX_ODBCINI"] = ini

    @classmethod
    def tearDownClass(cls):
        os.environ["YVEX_ODBCINI"] = cls.saved_ini
        cls.work.cleanup()

    def out(self, name):
        path = os.path.join(self.work.name, name)
        os.makedirs(path, exist_ok=True)
        return path

    def check_outputs(self, out_dir):
        size, box, count = drawn_box(os.path.join(out_dir, "sample.png"))
        self.assertEqual(size, (1024, 768))
        self.assertGreater(count, 500, "the picture shows the drawing")
        left, top, right, bottom = box
        # Zoomed to fit: the drawing spans most of one side of the picture and stays inside it.
        self.assertTrue(right - left > 0.5 * size[0] or bottom - top > 0.5 * size[1], box)
        with open(os.path.join(out_dir, "sample.emf"), "rb") as f:
            header = f.read(88)
        record, _ = struct.unpack("<II", header[:8])
        self.assertEqual(record, 1, "EMR_HEADER first")
        self.assertEqual(header[40:44], b" EMF")
        counts, errors = entity_counts(os.path.join(out_dir, "sample.dxf"))
        self.assertEqual(errors, [])
        return counts

    def test_sample_site_saved_loaded_and_written(self):
        out_dir = self.out("sample")
        code, stdout, stderr = run_host(out_dir)
        self.assertEqual(code, 0, stdout + stderr)
        self.assertIn("progress", stdout)
        for step in ("build the sample site", "save the site", "load the site into a new control",
                     "write out/sample.png", "write out/sample.dxf", "write out/sample.emf"):
            self.assertRegex(stdout, step + r"\s+\d+\.\d+ s")
        counts = self.check_outputs(out_dir)
        # The control writes R12 unless told otherwise: curves go out as polylines there.
        self.assertEqual(counts.get("LINE"), 2, counts)
        self.assertEqual(counts.get("TEXT", 0) + counts.get("MTEXT", 0), 2, counts)
        curves = sum(counts.get(kind, 0) for kind in ("POLYLINE", "LWPOLYLINE", "CIRCLE", "ARC", "ELLIPSE"))
        self.assertEqual(curves, 6, counts)  # polyline, rectangle, polygon, circle, arc, ellipse
        self.assertEqual(len(sites_named("Sample")), 1)
        self.check_sample_picture(os.path.join(out_dir, "sample.png"))
        written = self.check_plugin_exports(stdout, out_dir)
        self.assertIn("sample.shp", written)
        self.check_sample_shapefile(os.path.join(out_dir, "sample.shp"))
        self.assertIn("sample.dgn", written)
        self.check_sample_design_file(os.path.join(out_dir, "sample.dgn"))

        # A second run replaces the site rather than adding one.
        first = sites_named("Sample")
        code, stdout, stderr = run_host(self.out("again"))
        self.assertEqual(code, 0, stdout + stderr)
        self.assertIn("replacing 1 earlier", stdout)
        now = sites_named("Sample")
        self.assertEqual(len(now), 1)
        self.assertNotEqual(now, first)

    # Each plug-in's step: its file written through it, or named as not built yet.
    PLUGIN_OUTPUTS = (("dgn", "sample.dgn"), ("shp", "sample.shp"), ("xaml", "sample.xaml"), ("pdf", "sample.pdf"))

    def check_plugin_exports(self, stdout, out_dir):
        written = []
        for plugin, name in self.PLUGIN_OUTPUTS:
            match = re.search(r"write out/%s\s+\d+\.\d+ s  (.*)" % re.escape(name), stdout)
            self.assertIsNotNone(match, "no step for %s:\n%s" % (name, stdout))
            detail = match.group(1)
            if detail == "skipped: the %s plug-in's exporter is not built yet" % plugin:
                self.assertFalse(os.path.exists(os.path.join(out_dir, name)), name)
            else:
                self.assertEqual(detail, "through the %s plug-in" % plugin)
                self.assertGreater(os.path.getsize(os.path.join(out_dir, name)), 0, name)
                written.append(name)
        return written

    def check_sample_shapefile(self, path):
        """The sample's shapes with geometry as records, each with its row: two lines, the polyline,
        the rectangle, the polygon, the circle, the arc, the ellipse, the two references (their
        block's circle and two lines as parts) and the picture's frame; the texts have none. GDAL
        reads as many."""
        for name in ("sample.shx", "sample.dbf"):
            self.assertTrue(os.path.exists(os.path.join(os.path.dirname(path), name)), name)
        reader = shapefile.Reader(path, encoding="cp1252")
        shapes, records = reader.shapes(), reader.records()
        reader.close()
        self.assertEqual(len(shapes), 11)
        self.assertEqual(len(records), 11)
        self.assertTrue(all(s.shapeType == shapefile.POLYLINE for s in shapes))
        references = [s for s in shapes if len(s.parts) == 3]
        self.assertEqual(len(references), 2)
        self.assertEqual([len(s.points) for s in references], [29, 29])
        ogr = subprocess.run(["ogrinfo", "-ro", "-al", "-so", path], capture_output=True, text=True, check=True)
        self.assertIn("Feature Count: 11", ogr.stdout)

    def check_sample_design_file(self, path):
        """A V8 design file: a compound file with the header, the model's header and its element
        storage, as olefile, gsf and olecfinfo list it."""
        self.assertTrue(olefile.isOleFile(path))
        with olefile.OleFileIO(path) as ole:
            paths = {"/".join(entry) for entry in ole.listdir(streams=True, storages=True)}
        for wanted in ("Dgn~H", "Dgn-Md/#000000/Dgn~Mh", "Dgn-Md/#000000/Dgn^C"):
            self.assertIn(wanted, paths)
        for tool in (["gsf", "list", path], ["olecfinfo", path]):
            listed = subprocess.run(tool, capture_output=True, text=True)
            self.assertEqual(listed.returncode, 0, tool)
            self.assertIn("Dgn~", listed.stdout, tool)

    def check_sample_picture(self, path):
        """Every kind of the sample site shows where the site has it (world units; a reach of a
        few units allows for pens, rounding and the reading of the scale)."""
        picture = Picture(path)
        self.assertGreater(picture.scale, 2.0, "the site fills the picture")
        reach = 3
        # The ring of the circle about (160, 50), radius 15, at its four extreme points, and its
        # empty middle.
        for dx, dy in ((15, 0), (-15, 0), (0, 15), (0, -15)):
            self.assertGreater(picture.near(160 + dx, 50 + dy, reach), 0, ("circle", dx, dy))
        self.assertEqual(picture.near(160, 50, 4), 0, "the circle is not filled")
        # The arc of radius 22 from 30 to 150 degrees: its top; the ellipse's ends on its major
        # axis, turned by 30 degrees about (215, 50).
        self.assertGreater(picture.near(160, 72, reach), 0, "arc")
        for sign in (1, -1):
            self.assertGreater(picture.near(215 + sign * 21.65, 50 + sign * 12.5, reach), 0, ("ellipse", sign))
        # The plain text under its anchor (0, 95), height 10, and the rich text beside it.
        self.assertGreater(picture.count(0, 80, 90, 98, picture.dark), 30, "plain text")
        self.assertGreater(picture.count(100, 80, 180, 98, picture.dark), 30, "rich text")
        # Its second line begins with the red word.
        self.assertGreater(picture.count(100, 68, 140, 98, reddish), 5, "the red word of the rich text")
        # The two references of the marker block: a circle of radius 5 crossed by two lines, at
        # (250, 0) and (280, 30).
        for x, y in ((250, 0), (280, 30)):
            self.assertGreater(picture.near(x, y, 2), 0, ("reference centre", x, y))
            self.assertGreater(picture.near(x, y + 5, 2), 0, ("reference ring", x, y))
            self.assertGreater(picture.near(x + 3.5, y + 3.5, 1.5), 0, ("reference ring", x, y))
        # The polygon's closing edge from (85, 70) to (70, 30), and its red hatch inside.
        self.assertGreater(picture.near(77.5, 50, 2), 0, "closing edge")
        self.assertGreater(picture.count(90, 35, 115, 55, reddish), 20, "hatch")

    def test_the_image_of_a_loaded_site_is_drawn(self):
        # The picture is stored with the site and comes back with it.
        out_dir = self.out("image")
        code, stdout, stderr = run_host(out_dir)
        self.assertEqual(code, 0, stdout + stderr)
        picture = Picture(os.path.join(out_dir, "sample.png"))
        # The picture of 48 x 32 units hanging from (200, 110).
        self.assertGreater(picture.count(195, 73, 253, 115, painted), 500, "image")

    def test_references_of_a_loaded_site_name_their_block_in_dxf(self):
        # After a site comes back from the database, its references name their block.
        out_dir = self.out("references")
        code, stdout, stderr = run_host(out_dir)
        self.assertEqual(code, 0, stdout + stderr)
        counts = self.check_outputs(out_dir)
        self.assertEqual(counts.get("INSERT"), 2, counts)

    def test_a_dxf_file_is_imported_under_its_name(self):
        drawing = ezdxf.new("R12")
        space = drawing.modelspace()
        space.add_line((0, 0), (100, 0))
        space.add_line((100, 0), (100, 60))
        space.add_circle((50, 30), 20)
        space.add_text("imported", dxfattribs={"height": 5}).set_placement((10, 70))
        path = os.path.join(self.work.name, "Imported plan.dxf")
        drawing.saveas(path)
        out_dir = self.out("imported")
        code, stdout, stderr = run_host(out_dir, windows_path(path))
        self.assertEqual(code, 0, stdout + stderr)
        counts = self.check_outputs(out_dir)
        self.assertEqual(counts.get("LINE"), 2, counts)
        # The circle of an R12 file is kept as read; until the reader's approximations are put
        # back after a load it comes out as its polyline.
        self.assertEqual(counts.get("CIRCLE", 0) + counts.get("POLYLINE", 0), 1, counts)
        self.assertEqual(counts.get("TEXT", 0) + counts.get("MTEXT", 0), 1, counts)
        self.assertEqual(len(sites_named("Imported plan")), 1)

    def test_plugin_files_go_to_their_importers(self):
        # A file of a plug-in's format goes to its importer; one that fails or is not built yet
        # says so and stores nothing.
        shp = shapefile.Writer(os.path.join(self.work.name, "Parcels"), shapeType=shapefile.POLYGON)
        shp.field("OWNER", "C", size=20)
        shp.poly([[[0, 0], [0, 40], [60, 40], [60, 0], [0, 0]]])
        shp.record("north")
        shp.poly([[[0, -50], [0, -10], [60, -10], [0, -50]]])
        shp.record("south")
        shp.close()
        code, stdout, stderr = run_host(self.out("import-shp"), windows_path(os.path.join(self.work.name, "Parcels.shp")))
        self.assertEqual(code, 0, stdout + stderr)
        self.assertRegex(stdout, r"import through the shp plug-in\s+\d+\.\d+ s  .*2 polyline")
        self.assertEqual(len(sites_named("Parcels")), 1)
        # A design file ogr2ogr wrote: four line strings and shapes and a text on their levels.
        with open(os.path.join(SOURCE, "tests", "fixtures", "dgn", "design_files", "ogr_symbology_2d.dgn"), "rb") as f:
            design = f.read()
        plan = os.path.join(self.work.name, "Plan.dgn")
        with open(plan, "wb") as f:
            f.write(design)
        code, stdout, stderr = run_host(self.out("import-dgn"), windows_path(plan))
        self.assertEqual(code, 0, stdout + stderr)
        self.assertRegex(stdout, r"import through the dgn plug-in\s+\d+\.\d+ s  .*4 polyline")
        self.assertEqual(len(sites_named("Plan")), 1)
        # A design file cut short, and a format still to come, fail and store nothing.
        for plugin, name, content, error in (
                ("dgn", "Torn plan.dgn", design[:40], "import of "),
                ("xaml", "Board.gbr", b"G54*X100Y100D02*X500Y100D01*M02*", "the xaml plug-in's importer is not built yet")):
            path = os.path.join(self.work.name, name)
            with open(path, "wb") as f:
                f.write(content)
            code, stdout, stderr = run_host(self.out("import-" + name), windows_path(path))
            self.assertIn("import through the %s plug-in" % plugin, stdout)
            if code != 0:
                self.assertIn(error, stderr)
                self.assertEqual(sites_named(name.rsplit(".", 1)[0]), [])
            else:
                self.assertEqual(len(sites_named(name.rsplit(".", 1)[0])), 1)

    def test_the_sample_design_file_comes_back_within_its_limits(self):
        # The sample exported to a design file and imported into a fresh control: the importer
        # sets the draft limits from the drawing's extent, texts included, and the picture zoomed
        # to the whole drawing shows it filling the picture, not a speck in a corner.
        code, stdout, stderr = run_host(self.out("design-export"))
        self.assertEqual(code, 0, stdout + stderr)
        design = os.path.join(self.work.name, "Sample design.dgn")
        with open(os.path.join(self.out("design-export"), "sample.dgn"), "rb") as source, open(design, "wb") as f:
            f.write(source.read())
        out_dir = self.out("design-import")
        code, stdout, stderr = run_host(out_dir, windows_path(design))
        self.assertEqual(code, 0, stdout + stderr)
        self.assertRegex(stdout, r"import through the dgn plug-in\s+\d+\.\d+ s  .*text")
        self.check_outputs(out_dir)
        with sqlite3.connect(default_database()) as db:
            rows = db.execute("select DraftLeft, DraftTop, DraftRight, DraftBottom from Sites where Name = ?",
                              ("Sample design",)).fetchall()
        self.assertEqual(len(rows), 1)
        left, top, right, bottom = rows[0]
        # The sample spans about 285 units across and 120 up (its lines, circles, references,
        # picture and texts), in whatever unit the import chose.
        width, height = right - left, abs(top - bottom)
        self.assertGreater(height, 0, rows[0])
        self.assertGreater(width / height, 1.8, rows[0])
        self.assertLess(width / height, 3.2, rows[0])

    def test_a_damaged_file_fails_and_leaves_the_stored_site(self):
        code, stdout, stderr = run_host(self.out("before"))
        self.assertEqual(code, 0, stdout + stderr)
        before = sites_named("Sample")
        # Named like the stored site, so that a wrongly accepted import would replace it.
        path = os.path.join(self.work.name, "Sample.dxf")
        with open(path, "wb") as f:
            f.write(b"\x00\x07PK damaged \xff\xfe" * 40)
        code, stdout, stderr = run_host(self.out("damaged"), windows_path(path))
        self.assertNotEqual(code, 0, stdout)
        self.assertIn("error:", stderr)
        self.assertEqual(sites_named("Sample"), before)
        missing = os.path.join(self.work.name, "no such drawing.dxf")
        code, stdout, stderr = run_host(self.out("missing"), windows_path(missing))
        self.assertNotEqual(code, 0)
        self.assertIn("no such drawing", stderr)

    def test_a_drawing_cut_short_fails_and_leaves_the_stored_site(self):
        code, stdout, stderr = run_host(self.out("before-cut"))
        self.assertEqual(code, 0, stdout + stderr)
        before = sites_named("Sample")
        drawing = ezdxf.new("R12")
        drawing.modelspace().add_line((0, 0), (100, 0))
        whole = os.path.join(self.work.name, "whole.dxf")
        drawing.saveas(whole)
        with open(whole, "rb") as f:
            data = f.read()
        self.assertGreater(data.find(b"ENDSEC"), 2000, "the cut falls inside the HEADER")
        # Named like the stored site, so that a wrongly accepted import would replace it.
        path = os.path.join(self.work.name, "Sample.dxf")
        with open(path, "wb") as f:
            f.write(data[:2000])
        lines = data[:2000].count(b"\n") + (0 if data[:2000].endswith(b"\n") else 1)
        code, stdout, stderr = run_host(self.out("cut"), windows_path(path))
        self.assertNotEqual(code, 0, stdout)
        self.assertIn(f"cut short: it ends at line {lines} ", stderr)
        self.assertNotIn("save the site", stdout)
        self.assertEqual(sites_named("Sample"), before)

    def test_the_server_database_by_data_source_name(self):
        # A data source as a user defines one with tools/db.sh set-dsn: the test server's, with
        # the login in it.
        parser = configparser.ConfigParser(strict=False, interpolation=None)
        parser.optionxform = str
        parser.read(os.environ["YVEX_ODBCINI"])
        own = dict(parser[PG_DSN])
        own["Username"] = os.environ.get("YVEX_PG_USER", "yvex")
        own["Password"] = os.environ.get("YVEX_PG_PASSWORD", "yvex")
        parser["YVEX_MAIN_JOB_PG"] = own
        ini = os.path.join(self.work.name, "odbc.ini")
        with open(ini, "w") as f:
            parser.write(f, space_around_delimiters=False)
        saved = os.environ["YVEX_ODBCINI"]
        os.environ["YVEX_ODBCINI"] = ini
        try:
            self.run_on_server()
        finally:
            os.environ["YVEX_ODBCINI"] = saved

    def run_on_server(self):
        out_dir = self.out("server")
        code, stdout, stderr = run_host(out_dir, "--dsn", "YVEX_MAIN_JOB_PG")
        self.assertEqual(code, 0, stdout + stderr)
        self.check_outputs(out_dir)
        code, stdout, stderr = run_host(self.out("server-again"), "--dsn", "YVEX_MAIN_JOB_PG")
        self.assertEqual(code, 0, stdout + stderr)
        self.assertIn("replacing 1 earlier", stdout)

    def test_a_missing_data_source_fails_with_the_controls_text(self):
        code, stdout, stderr = run_host(self.out("nodsn"), "--dsn", "YVEX_NO_SUCH_SOURCE")
        self.assertNotEqual(code, 0, stdout)
        self.assertIn("error:", stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
