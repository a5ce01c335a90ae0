#!/usr/bin/python3
"""ezdxf reads the drawing of two pictures of one name that web_drawings_test wrote: each IMAGEDEF
names a file of its own, each file stands beside the drawing, and the two IMAGE entities name
the two definitions. A drawing that ezdxf's document loader refuses (an OBJECTS section without
the root dictionary first) is read with ezdxf's tag reader instead."""
import os
import sys

import ezdxf
from ezdxf.lldxf.tagger import ascii_tags_loader

folder = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "control", "dxf_images")
path = os.path.join(folder, "two_logos.dxf")


def from_document():
    doc = ezdxf.readfile(path)
    defs = {d.dxf.handle.upper(): d.dxf.filename for d in doc.objects.query("IMAGEDEF")}
    refs = [i.dxf.image_def_handle.upper() for i in doc.modelspace().query("IMAGE")]
    return defs, refs


def from_tags():
    defs, refs = {}, []
    entity, handle, filename = None, None, None

    def close():
        if entity == "IMAGEDEF" and handle:
            defs[handle] = filename

    with open(path, "rt", encoding="cp1252") as stream:
        for tag in ascii_tags_loader(stream):
            if tag.code == 0:
                close()
                entity, handle, filename = tag.value, None, None
            elif tag.code == 5:
                handle = tag.value.upper()
            elif tag.code == 1 and entity == "IMAGEDEF":
                filename = tag.value
            elif tag.code == 340 and entity == "IMAGE":
                refs.append(tag.value.upper())
    close()
    return defs, refs


try:
    defs, refs = from_document()
except ezdxf.DXFStructureError as error:
    print("read by tags:", error)
    defs, refs = from_tags()

failures = []
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
