#!/usr/bin/python3
"""The picture that a second process took from the clipboard after control_clipboard_test copied
two lines, read with no Windows code: a whole enhanced metafile (header signature and size, records
walked to the end record), its description naming the maker, and both lines among its records.
Two independent readers then take the same file: printemf must read it through, and emf2svg-conv
must turn it into a picture holding both lines."""
import os
import re
import struct
import subprocess
import sys
import tempfile

PATH = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "control", "clipboard_out", "peer_copy.emf")
EMR_HEADER, EMR_EOF = 1, 14
LINE_RECORDS = {4: "POLYLINE", 7: "POLYPOLYLINE", 54: "LINETO", 87: "POLYLINE16", 90: "POLYPOLYLINE16"}
failures = []

data = open(PATH, "rb").read()
kind, size = struct.unpack_from("<II", data, 0)
if kind != EMR_HEADER or data[40:44] != b" EMF":
    failures.append(f"not an enhanced metafile: record {kind}, signature {data[40:44]!r}")
else:
    total, records = struct.unpack_from("<II", data, 48)
    if total != len(data):
        failures.append(f"header says {total} bytes, the file has {len(data)}")
    length, offset = struct.unpack_from("<II", data, 60)
    description = data[offset:offset + 2 * length].decode("utf-16-le").split("\0")
    if description[0] != "YVEX":
        failures.append(f"description {description!r}")
    lines, seen, position, last = 0, 0, 0, None
    while position + 8 <= len(data):
        kind, size = struct.unpack_from("<II", data, position)
        if size < 8 or size % 4 or position + size > len(data):
            failures.append(f"record {kind} at {position}: size {size}")
            break
        lines += kind in LINE_RECORDS
        seen += 1
        last = kind
        position += size
    if last != EMR_EOF or position != len(data):
        failures.append(f"the records end with {last} at {position} of {len(data)}")
    if seen != records:
        failures.append(f"{seen} records, the header counts {records}")
    if lines < 2:
        failures.append(f"{lines} line records, two lines were copied")

printed = subprocess.run(["printemf", PATH], capture_output=True, text=True)
if printed.returncode != 0 or "*HEADER*" not in printed.stdout:
    failures.append(f"printemf: exit {printed.returncode}: {printed.stderr.strip()[:200]}")
with tempfile.TemporaryDirectory() as folder:
    svg = os.path.join(folder, "copy.svg")
    converted = subprocess.run(["emf2svg-conv", "-i", PATH, "-o", svg], capture_output=True, text=True)
    if converted.returncode != 0 or not os.path.exists(svg):
        failures.append(f"emf2svg-conv: exit {converted.returncode}: {converted.stderr.strip()[:200]}")
    else:
        strokes = re.findall(r"<path d=\"M [^\"]+\"", open(svg, encoding="utf-8").read())
        if len(strokes) < 2:
            failures.append(f"emf2svg-conv drew {len(strokes)} paths, two lines were copied")

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
