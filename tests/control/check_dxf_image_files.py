#!/usr/bin/python3
"""ezdxf reads the drawing of two pictures of one name that web_drawings_test wrote, with an audit
that repairs nothing: each IMAGEDEF names a file of its own, each file stands beside the drawing,
and the two IMAGE entities name the two definitions."""
import os
import sys

import ezdxf

folder = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "control", "dxf_images")
path = os.path.join(folder, "two_logos.dxf")

doc = ezdxf.readfile(path)
auditor = doc.audit()
defs = {d.dxf.handle.upper(): d.dxf.filename for d in doc.objects.query("IMAGEDEF")}
refs = [i.dxf.image_def_handle.upper() for i in doc.modelspace().query("IMAGE")]

failures = []
if auditor.has_errors or auditor.has_fixes:
    failures.append("audit %r" % [str(e.message) for e in auditor.errors + auditor.fixes])
names = list(defs.values())
if len(names) != 2 or len(set(n.lower() for n in names)) != 2:
    failures.append("IMAGEDEF files %r" % names)
for name in names:
    if not os.path.isfile(os.path.join(folder, name)):
        failures.append("no file %s beside the drawing" % name)
if sorted(refs) != sorted(defs):
    failures.append("IMAGE entities name %r, definitions are %r" % (refs, sorted(defs)))
if failures:
    print("FAIL " + "; ".join(failures))
    sys.exit(1)
print("two pictures, two files:", sorted(names))
