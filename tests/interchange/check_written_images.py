#!/usr/bin/python3
"""The pictures image_files_test wrote, read by independent readers: PIL for the bitmap formats,
printemf for the enhanced metafile."""
import os
import subprocess
import sys

from PIL import Image

folder = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "interchange", "images_out")
expected = {"written_2.bmp": "BMP", "written_3.jpg": "JPEG", "written_4.gif": "GIF",
            "written_5.tif": "TIFF", "written_6.png": "PNG"}
failures = []
for name, kind in expected.items():
    try:
        with Image.open(os.path.join(folder, name)) as image:
            image.load()
            if image.format != kind or image.size != (40, 30):
                failures.append("%s: %s %s" % (name, image.format, image.size))
    except Exception as error:  # noqa: BLE001 - every reader failure is a test failure
        failures.append("%s: %s" % (name, error))
emf = os.path.join(folder, "written_1.emf")
run = subprocess.run(["printemf", emf], capture_output=True, text=True)
if run.returncode != 0 or "*HEADER*" not in run.stdout or "*EOF*" not in run.stdout:
    failures.append("written_1.emf: printemf %d %s" % (run.returncode, run.stderr[-200:]))
if os.path.exists(os.path.join(folder, "not_a_metafile.emf")):
    failures.append("a bitmap was written under .emf")
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("written pictures read back")
