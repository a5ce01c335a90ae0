#!/usr/bin/python3
"""Independent readers of the compound files that dgn_compound_file_test wrote with our
library (cf_out/): olefile, libgsf's `gsf list`/`gsf cat` and libolecf's
`olecfinfo`/`olecfexport` must each see the same tree of storages and streams, and read
every stream byte for byte. olefile also reads the SummaryInformation property set.

Python's zlib reads the 5 MB that dgn_zlib_stream_test deflated through the default buffers
(zlib_5mb.z) as one zlib stream with nothing behind it.

`gsf list` marks an empty storage like a stream ("f"), so trees are compared as paths and
stream sizes, not type letters."""
import os
import subprocess
import sys
import tempfile
import zlib

import olefile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "fixtures", "dgn"))
from make_compound_fixtures import content, nested  # noqa: E402

OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "plugins", "dgn", "lib", "cf_out")
SUMMARY = "\x05SummaryInformation"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def flatten(nodes, prefix=""):
    """{path: size} with None for storages."""
    out = {}
    for n in nodes:
        path = prefix + n.name
        if n.children is not None:
            out[path] = None
            out.update(flatten(n.children, path + "/"))
        else:
            out[path] = n.size
    return out


def via_olefile(path):
    ole = olefile.OleFileIO(path)
    tree = {}
    for parts in ole.listdir(streams=True, storages=True):
        name = "/".join(parts)
        tree[name] = ole.get_size(name) if ole.get_type(name) == olefile.STGTY_STREAM else None
    data = {name: ole.openstream(name).read() for name, size in tree.items() if size is not None}
    return tree, data, ole


def via_gsf(path, tree_expected):
    run = subprocess.run(["gsf", "list", path], capture_output=True)
    check(run.returncode == 0, f"gsf list {path}: exit {run.returncode}")
    tree = {}
    for line in run.stdout.decode("latin-1").splitlines()[1:]:
        fields = line.split()
        if len(fields) < 3 or fields[-1] == "*root*":
            continue
        tree[fields[-1]] = int(fields[-2]) if fields[0] == "f" else None
    # An empty storage is listed as an empty stream: take the expected kind for size-0 items.
    for name, size in list(tree.items()):
        if size == 0 and tree_expected.get(name, 0) is None:
            tree[name] = None
    data = {}
    for name, size in tree.items():
        if size is not None:
            cat = subprocess.run(["gsf", "cat", path, name], capture_output=True)
            check(cat.returncode == 0, f"gsf cat {path} {name}: exit {cat.returncode}")
            data[name] = cat.stdout
    return tree, data


def via_olecf(path, tree_expected):
    run = subprocess.run(["olecfinfo", path], capture_output=True)
    check(run.returncode == 0, f"olecfinfo {path}: exit {run.returncode}")
    tree = {}
    stack = []
    lines = run.stdout.decode("latin-1").splitlines()
    start = next(i for i, l in enumerate(lines) if l.startswith("Root Entry"))
    for line in lines[start + 1:]:
        if not line.strip():
            break
        depth = (len(line) - len(line.lstrip(" "))) // 2 - 1
        name, _, rest = line.strip().rpartition(" (")
        size = int(rest.split()[0])
        stack = stack[:depth] + [name]
        full = "/".join(stack)
        tree[full] = None if tree_expected.get(full, 0) is None else size
    data = {}
    with tempfile.TemporaryDirectory() as tmp:
        target = os.path.join(tmp, "x")
        exp = subprocess.run(["olecfexport", "-t", target, path], capture_output=True)
        check(exp.returncode == 0, f"olecfexport {path}: exit {exp.returncode}")
        for name, size in tree.items():
            if size is None:
                continue
            file = os.path.join(target + ".export", *name.split("/"), "StreamData.bin")
            if os.path.exists(file):
                with open(file, "rb") as f:
                    data[name] = f.read()
    return tree, data


def compare(path, expected):
    name = os.path.basename(path)
    ole_tree, ole_data, ole = via_olefile(path)
    gsf_tree, gsf_data = via_gsf(path, expected)
    cf_tree, cf_data = via_olecf(path, expected)
    for reader, tree, data in (("olefile", ole_tree, ole_data), ("gsf", gsf_tree, gsf_data), ("olecf", cf_tree, cf_data)):
        # The property set (olecfinfo spells its first character as "\x05").
        tree = {k: v for k, v in tree.items() if k not in (SUMMARY, "\\x05SummaryInformation")}
        check(tree == expected, f"{name}: {reader} sees the tree {sorted(tree.items())}")
        for stream, size in expected.items():
            if size is None:
                continue
            got = data.get(stream)
            check(got == content(stream, size), f"{name}: {reader} reads {stream} as {None if got is None else len(got)} bytes that differ")
    return ole


def main():
    expected = flatten(nested())
    for name in ("ours_nested.cfb", "ours_nested_4k.cfb"):
        compare(os.path.join(OUT, name), expected)
    ole = compare(os.path.join(OUT, "ours_nested.cfb"), expected)
    meta = ole.get_metadata()
    check(meta.title == b"Nested sample", f"SummaryInformation title {meta.title!r}")
    check(meta.author == b"YVEX", f"SummaryInformation author {meta.author!r}")
    check(meta.num_pages == 7, f"SummaryInformation page count {meta.num_pages!r}")
    big = {"Big": 110 * 128 * 512, "Small": 100}
    compare(os.path.join(OUT, "ours_big.cfb"), big)
    with open(os.path.join(OUT, "zlib_5mb.z"), "rb") as f:
        packed = f.read()
    unpacker = zlib.decompressobj()
    unpacked = unpacker.decompress(packed)
    check(unpacker.eof, "zlib_5mb.z: the zlib stream does not end")
    check(unpacker.unused_data == b"", f"zlib_5mb.z: {len(unpacker.unused_data)} bytes behind the first zlib stream")
    check(unpacked == content("zlib", 5 << 20), f"zlib_5mb.z: {len(unpacked)} bytes that differ")
    for f in failures:
        print("FAIL:", f)
    print("compound readers:", "failed" if failures else "passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
