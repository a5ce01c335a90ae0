#!/usr/bin/python3
"""ezdxf reads the drawing of two pictures of one name that web_drawings_test wrote: each IMAGEDEF
names a file of its own, and each file stands beside the drawing."""
import os
import sys

import ezdxf
from ezdxf import recover

folder = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "control", "dxf_images")
path = os.path.join(folder, "two_logos.dxf")
try:
    doc = ezdxf.readfile(path)
except ezdxf.DXFStructureError as error:
    # An OBJECTS section without the root dictionary first: read as ezdxf repairs it.
    print("read with repairs:", error)
    doc, auditor = recover.readfile(path)
names = [d.dxf.filename for d in doc.objects.query("IMAGEDEF")]
failures = []
if len(names) != 2 or len(set(n.lower() for n in names)) != 2:
    failures.append("IMAGEDEF files %r" % names)
for name in names:
    if not os.path.isfile(os.path.join(folder, name)):
        failures.append("no file %s beside the drawing" % name)
images = list(doc.modelspace().query("IMAGE"))
if len(images) != 2 or len({i.dxf.image_def_handle for i in images}) != 2:
    failures.append("IMAGE entities %r" % [i.dxf.image_def_handle for i in images])
if failures:
    print("FAIL " + "; ".join(failures))
    sys.exit(1)
print("two pictures, two files")
