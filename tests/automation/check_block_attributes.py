#!/usr/bin/python3
"""The drawing object_model_client_test saved through the control (a block with two attribute
definitions and references to it), read by ezdxf: every INSERT of the block carries both
attributes, the first reference with the values the test gave them."""
import os
import sys

import ezdxf

path = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "automation", "dxf_out", "block_attributes.dxf")
failures = []
try:
    doc = ezdxf.readfile(path)
except Exception as error:  # the reader's refusal is the finding
    print(f"FAIL {path}: {error!r}")
    sys.exit(1)
inserts = [e for e in doc.modelspace().query("INSERT") if e.dxf.name == "Room"]
if len(inserts) != 2:
    failures.append(f"{len(inserts)} INSERTs of Room, expected 2")
if inserts:
    values = [a.dxf.text for a in inserts[0].attribs]
    if values != ["Kitchen", "12 m2"]:
        failures.append(f"first INSERT's ATTRIB values {values!r}")
    if len(inserts) > 1 and len(inserts[1].attribs) != 2:
        failures.append(f"second INSERT has {len(inserts[1].attribs)} ATTRIBs")
definitions = [e for e in doc.blocks.get("Room") if e.dxftype() == "ATTDEF"] if "Room" in doc.blocks else []
if len(definitions) != 2:
    failures.append(f"{len(definitions)} ATTDEFs in the block, expected 2")
for f in failures:
    print(f)
print("FAIL" if failures else "PASS")
sys.exit(1 if failures else 0)
