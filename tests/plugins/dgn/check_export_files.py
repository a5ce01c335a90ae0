#!/usr/bin/python3
"""Independent readers of the design files that the exporter tests wrote (dgn_units_*.dgn and the
export runs' dgn_run_*.dgn in this test folder's build directory): olefile, libgsf's `gsf list` and libolecf's `olecfinfo` open
each, and the tree has the header, the model's header stream and its element storages."""
import glob
import os
import subprocess
import sys

import olefile

OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "plugins", "dgn")
EXPECTED = ["Dgn~H", "Dgn-Md/#000000/Dgn~Mh", "Dgn-Md/#000000/Dgn^C"]
failures = []

files = sorted(glob.glob(os.path.join(OUT, "dgn_units_*.dgn")))
if len(files) < 3:
    failures.append(f"expected the exporter's files in {OUT}, found {len(files)}")
runs = sorted(glob.glob(os.path.join(OUT, "dgn_run_*.dgn")))
if len(runs) < 8:
    failures.append(f"expected the export runs' files in {OUT}, found {len(runs)}")
files += runs
for path in files:
    name = os.path.basename(path)
    if not olefile.isOleFile(path):
        failures.append(f"{name}: not a compound file for olefile")
        continue
    with olefile.OleFileIO(path) as ole:
        paths = {"/".join(entry) for entry in ole.listdir(streams=True, storages=True)}
    for wanted in EXPECTED:
        if wanted not in paths:
            failures.append(f"{name}: olefile finds no {wanted}")
    gsf = subprocess.run(["gsf", "list", path], capture_output=True, text=True)
    if gsf.returncode != 0 or "Dgn~Mh" not in gsf.stdout:
        failures.append(f"{name}: gsf list exit {gsf.returncode}")
    info = subprocess.run(["olecfinfo", path], capture_output=True, text=True)
    if info.returncode != 0 or "Dgn~H" not in info.stdout:
        failures.append(f"{name}: olecfinfo exit {info.returncode}")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
