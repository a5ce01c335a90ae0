#!/usr/bin/python3
"""Independent readers of the design files that the design-file tests wrote with our library
(dgn_out/), and of the V7 fixtures they read:

- olefile, libgsf's `gsf list` and libolecf's `olecfinfo` open every V8 file; olefile's
  directory (in the order entries were made) and olecfinfo's listing show the tree in the
  order the format has: "Dgn~H", "Dgn~S", "Dgn~Mf", the summary informations, "DgnTk",
  "Dgn^Ix", "Dgn^Nm" with its streams, "Dgn-Md" with each model's "Dgn^G", "Dgn^C", "Dgn~Mh".
- Python's zlib inflates "Dgn~H" past its 20 stored bytes (1576 bytes in a new file) and every
  element stream "$N" past its 16-byte header into as many records as the header counts.
- A small walker of our own lists every record of every storage (and V7 record of the
  fixtures); the lists equal what the library read (the tests' *.records.txt; a V7 record
  that became an element class keeping no record length is compared by type and level).
- `ogrinfo` shows for the line of each colour number 0-255 of palette.dgn the colour that
  the library's default table gives (default_colors.txt).
- `ogrinfo` reads the ogr2ogr files ogr_shapes_2d.dgn and ogr_shapes_3d.dgn as the library
  does, before and after its V8 save (the tests' *.elements.txt): the text's string, origin,
  size (s:) and angle (a:), the vertices in master units, and the polygon with a hole as the
  two shapes of the one element (a cell) that ogrinfo leaves out.
- `ogrinfo` reads the line string and polygon of 150 vertices of ogr_long_2d.dgn as the library
  reads its complex chain and complex shape, before and after its V8 save: each part of the
  multi line string is one line string component of the chain, and the polygon's ring is the
  shape's components joined."""
import os
import re
import struct
import subprocess
import sys
import zlib

import olefile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "plugins", "dgn", "lib", "dgn_out")
FIXTURES = os.path.join(HERE, "..", "..", "..", "fixtures", "dgn", "design_files")
SUMMARY = "\x05SummaryInformation"
DOC_SUMMARY = "\x05DocumentSummaryInformation"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def stream_number(name):
    return int(name[1:]) if re.fullmatch(r"\$\d+", name) else None


def expected_order(paths):
    """The tree in the order the format writes it, from the paths present."""
    top = ["Dgn~H", "Dgn~S", "Dgn~Mf", SUMMARY, DOC_SUMMARY, "DgnTk", "Dgn^Ix", "Dgn^Ix/Dgn~Mix", "Dgn^Nm"]
    order = [p for p in top if p in paths]
    order += sorted((p for p in paths if p.startswith("Dgn^Nm/")), key=lambda p: stream_number(p.split("/")[1]))
    if "Dgn-Md" in paths:
        order.append("Dgn-Md")
        models = sorted({p.split("/")[1] for p in paths if p.startswith("Dgn-Md/")})
        for m in models:
            base = "Dgn-Md/" + m
            order.append(base)
            for storage in ("Dgn^G", "Dgn^C"):
                if base + "/" + storage in paths:
                    order.append(base + "/" + storage)
                    order += sorted((p for p in paths if p.startswith(base + "/" + storage + "/")),
                                    key=lambda p: stream_number(p.split("/")[-1]))
            if base + "/Dgn~Mh" in paths:
                order.append(base + "/Dgn~Mh")
    return order


def split_records(data):
    out = []
    at = 0
    while at + 12 <= len(data):
        n = 2 * struct.unpack_from("<I", data, at + 8)[0] + 4
        if n > len(data) - at:
            break
        out.append(data[at:at + n])
        at += n
    check(at == len(data), f"{len(data) - at} bytes after the last whole record")
    return out


def record_line(lst, model, record):
    rtype, flags = struct.unpack_from("<HH", record, 4)
    level = struct.unpack_from("<i", record, 16)[0]
    element_id = struct.unpack_from("<Q", record, 20)[0]
    return (lst, model, rtype, level, element_id, len(record)), flags


def walk_v8(name, ole):
    """Every element record of the file as (list, model, type, level, id, size)."""
    lines = []
    storages = [("Dgn^Nm", 0, 0)]
    for parts in ole.listdir(streams=False, storages=True):
        if len(parts) == 2 and parts[0] == "Dgn-Md":
            model = int(parts[1][1:])
            storages += [("Dgn-Md/%s/Dgn^G" % parts[1], 1, model), ("Dgn-Md/%s/Dgn^C" % parts[1], 2, model)]
            if ole.exists("Dgn-Md/%s/Dgn~Mh" % parts[1]):
                block = zlib.decompress(ole.openstream("Dgn-Md/%s/Dgn~Mh" % parts[1]).read())
                check(len(block) > 4096 and block[0] == 1, f"{name}: model block of {parts[1]}")
                lines.append(record_line(3, model, split_records(block[4096:])[0])[0])
    for storage, lst, model in storages:
        n = 1
        while ole.exists("%s/$%d" % (storage, n)):
            data = ole.openstream("%s/$%d" % (storage, n)).read()
            count0, word4, number, count12 = struct.unpack_from("<IIII", data, 0)
            records = split_records(zlib.decompress(data[16:]))
            check(count12 == len(records) and count0 == count12, f"{name}: {storage}/${n} counts {count0}/{count12}, {len(records)} records")
            check(number == n and word4 in (2, 3), f"{name}: {storage}/${n} header words {word4}, {number}")
            for r in records:
                line, flags = record_line(lst, model, r)
                if not flags & 0x8000:
                    lines.append(line)
            n += 1
    return lines


def read_listing(path, fields):
    with open(path) as f:
        return [tuple(int(v) for v in row.split()[:fields]) for row in f if row.strip()]


def check_v8(name):
    path = os.path.join(OUT, name)
    ole = olefile.OleFileIO(path)
    # olefile's directory entries stand in the order they were made.
    names_by_sid = [e.name for e in ole.direntries[1:] if e is not None]
    paths = {"/".join(p) for p in ole.listdir(streams=True, storages=True)}
    order = expected_order(paths)
    check([p.split("/")[-1] for p in order] == names_by_sid, f"{name}: directory order {names_by_sid}, expected {order}")
    header = ole.openstream("Dgn~H").read()
    block = zlib.decompress(header[20:])
    check(header[:4] == b"\x01\x00\x04\x00", f"{name}: Dgn~H stored bytes")
    if name.startswith("new_") or name.startswith("ogr_"):
        check(len(block) == 1576, f"{name}: Dgn~H inflates to {len(block)} bytes")
        check(ole.get_size("DgnTk") == 64 and ole.get_size("Dgn~S") == 208, f"{name}: DgnTk or Dgn~S sizes")
        meta = ole.get_metadata()
        application = meta.creating_application
        application = application.decode() if isinstance(application, bytes) else application
        check(meta.codepage == 1200 and application.rstrip("\x00") == "YVEX DGN design file library",
              f"{name}: summary information {meta.creating_application!r}")
        thumbnail = ole.getproperties(SUMMARY)[17]
        check(len(thumbnail) == 8 + 40 + 1024 + 180 * 116 and struct.unpack_from("<ii", thumbnail, 12) == (180, 116),
              f"{name}: thumbnail of {len(thumbnail)} bytes")
    walked = sorted(walk_v8(name, ole))
    listed = sorted(read_listing(path + ".records.txt", 6))
    check(walked == listed, f"{name}: the walker finds {len(walked)} records, the library read {len(listed)}: "
          f"{sorted(set(walked) ^ set(listed))[:6]}")

    gsf = subprocess.run(["gsf", "list", path], capture_output=True, text=True)
    check(gsf.returncode == 0, f"{name}: gsf list exit {gsf.returncode}")
    listed_gsf = {line.split()[-1] for line in gsf.stdout.splitlines()[1:] if line.strip()}
    missing = paths - listed_gsf
    check(not missing, f"{name}: gsf list misses {sorted(missing)}")

    info = subprocess.run(["olecfinfo", path], capture_output=True, text=True)
    check(info.returncode == 0, f"{name}: olecfinfo exit {info.returncode}")
    items = []
    for line in info.stdout.split("Storage and stream items:")[1].splitlines()[2:]:
        m = re.match(r"(\s+)(.*) \(\d+ bytes\)$", line)
        if not m:
            break
        items.append(m.group(2).replace("\\x05", "\x05"))
    check(items == [p.split("/")[-1] for p in order], f"{name}: olecfinfo lists {items}")


def walk_v7(data):
    """(type, level, length) of the records a V7 reader takes."""
    out = []
    at = 0
    skip = False
    while len(data) - at >= 4:
        level, rtype = data[at] & 0x3F, data[at + 1] & 0x7F
        if rtype in (0, 127):
            break
        length = 4 + 2 * struct.unpack_from("<H", data, at + 2)[0]
        if length > len(data) - at:
            break
        deleted = data[at + 1] & 0x80
        at += length
        if skip:
            skip = False
            continue
        if deleted or (rtype == 66 and level == 6):
            continue
        skip = rtype == 90
        out.append((rtype, level, length))
    return out


def check_v7(name):
    data = open(os.path.join(FIXTURES, name), "rb").read()
    walked = walk_v7(data)
    listed = read_listing(os.path.join(OUT, name + ".records.txt"), 3)
    # The element classes that keep no record length list -1 for it.
    walked = [(t, lv, n if listed_n >= 0 else -1) for (t, lv, n), (_, _, listed_n) in zip(walked, listed)] + walked[len(listed):]
    check(walked == listed, f"{name}: the walker finds {walked[:5]}..., the library {listed[:5]}...")


def check_colours():
    run = subprocess.run(["ogrinfo", "-al", "-q", os.path.join(FIXTURES, "palette.dgn")], capture_output=True, text=True)
    check(run.returncode == 0 and "ERROR" not in run.stderr, f"ogrinfo palette.dgn: {run.stderr[:200]}")
    shown = {}
    index = None
    for row in run.stdout.splitlines():
        m = re.match(r"\s*ColorIndex \(Integer\) = (\d+)", row)
        if m:
            index = int(m.group(1))
        m = re.search(r"PEN\(.*c:#([0-9a-fA-F]{6})", row)
        if m and index is not None:
            shown[index] = m.group(1).lower()
    ours = dict(line.split() for line in open(os.path.join(OUT, "default_colors.txt")))
    check(len(shown) == 256, f"ogrinfo showed {len(shown)} colours")
    wrong = [k for k in range(256) if shown.get(k) != ours.get(str(k))]
    check(not wrong, f"colours that differ from ogrinfo's: {wrong[:10]}")


def ogr_features(path):
    """(fid, type, text, style, coordinates) of each feature `ogrinfo` shows."""
    run = subprocess.run(["ogrinfo", "-al", "-q", path], capture_output=True, text=True)
    check(run.returncode == 0, f"ogrinfo {path}: exit {run.returncode}")
    features = []
    for block in run.stdout.split("OGRFeature(")[1:]:
        fid = int(re.match(r"[^)]*\):(\d+)", block).group(1))
        ftype = int(re.search(r"Type \(Integer\) = (\d+)", block).group(1))
        text = re.search(r"Text \(String\) = (.*)", block)
        style = re.search(r"^  Style = (.*)$", block, re.M)
        geometry = re.search(r"^  (POINT|LINESTRING|POLYGON)[^(]*\((.*)\)\s*$", block, re.M)
        numbers = [float(v) for v in re.findall(r"-?[\d.]+(?:e-?\d+)?", geometry.group(2))] if geometry else []
        features.append((fid, ftype, text.group(1) if text else None, style.group(1) if style else "", numbers))
    return features


def same_numbers(a, b):
    return len(a) == len(b) and all(abs(x - y) <= 1e-6 * max(1.0, abs(x)) for x, y in zip(a, b))


def check_ogr_shapes(name):
    features = ogr_features(os.path.join(FIXTURES, name + ".dgn"))
    for listing in (name + ".elements.txt", name + "_saved.elements.txt"):
        with open(os.path.join(OUT, listing)) as f:
            ours = [line.split() for line in f if line.strip()]
        cells = [i for i, words in enumerate(ours) if words[:2] == ["cell", "of"]]
        check(len(cells) == 1 and ours[cells[0]][2] == "2", f"{listing}: cells {cells}")
        drawn = [words for words in ours if words[:2] != ["cell", "of"]]
        check(len(drawn) == len(features), f"{listing}: {len(drawn)} elements, ogrinfo {len(features)}")
        for words, (fid, ftype, text, style, numbers) in zip(drawn, features):
            where = f"{listing}: feature {fid}"
            if ftype == 17:
                label = re.search(r'LABEL\(t:"([^"]*)"', style)
                check(words[0] == "text" and label and label.group(1) == text, f"{where}: text {words} / {style}")
                # The string may hold blanks: the numbers are the last ones.
                count = len(numbers)
                ours_numbers = [float(v) for v in words[-(count + 2):-2]]
                check(" ".join(words[1:-(count + 2)]) == text, f"{where}: string {words}")
                check(same_numbers(ours_numbers, numbers), f"{where}: origin {ours_numbers} / {numbers}")
                size = re.search(r"s:([-\d.]+)g", style)
                check(size and abs(float(words[-2]) - float(size.group(1))) < 1e-3, f"{where}: height {words[-2]} / {style}")
                angle = re.search(r"a:([-\d.]+)", style)
                if angle:
                    check(abs(float(words[-1]) - float(angle.group(1))) < 1e-3, f"{where}: angle {words[-1]} / {style}")
            else:
                kind = {4: "linestring", 6: "shape"}.get(ftype)
                body = words[1:] if words[0] == "cell" else words
                check(body[0] == kind, f"{where}: {words[:2]} for type {ftype}")
                check(same_numbers([float(v) for v in body[1:]], numbers), f"{where}: {body[1:]} / {numbers}")
        # The shapes of the cell are the two features after the one ogrinfo leaves out.
        in_cell = [fid for (fid, ftype, _, _, _), words in zip(features, drawn) if words[0] == "cell"]
        check(len(in_cell) == 2 and in_cell[1] == in_cell[0] + 1 and in_cell[0] - 1 not in [f[0] for f in features],
              f"{listing}: shapes of the cell {in_cell}")


def ogr_long_geometries(path):
    """The (kind, parts) of each feature `ogrinfo` shows: each part a list of numbers."""
    run = subprocess.run(["ogrinfo", "-al", "-q", path], capture_output=True, text=True)
    check(run.returncode == 0, f"ogrinfo {path}: exit {run.returncode}")
    shown = []
    for kind, body in re.findall(r"^  (MULTILINESTRING|LINESTRING|POLYGON) \((.*)\)\s*$", run.stdout, re.M):
        parts = [[float(v) for v in re.findall(r"-?[\d.]+(?:e-?\d+)?", part)] for part in re.findall(r"\(([^()]*)\)", body)]
        shown.append((kind, parts))
    return shown


def check_ogr_long(name):
    shown = ogr_long_geometries(os.path.join(FIXTURES, name + ".dgn"))
    check([kind for kind, _ in shown] == ["MULTILINESTRING", "POLYGON"], f"{name}: ogrinfo shows {[kind for kind, _ in shown]}")
    for listing in (name + ".elements.txt", name + "_saved.elements.txt"):
        with open(os.path.join(OUT, listing)) as f:
            ours = [line.split("|") for line in f if line.strip()]
        check(len(ours) == len(shown), f"{listing}: {len(ours)} complexes, ogrinfo {len(shown)}")
        for line, (kind, parts) in zip(ours, shown):
            head = line[0].split()
            components = [[float(v) for v in c.split()] for c in line[1:]]
            check(int(head[1]) == len(components) and len(components) == 5, f"{listing}: {head} with {len(components)} components")
            if head[0] == "chain":
                check(kind == "MULTILINESTRING" and len(parts) == len(components), f"{listing}: chain of {len(components)}, {kind} of {len(parts)}")
                for k, (ours_part, theirs) in enumerate(zip(components, parts)):
                    check(same_numbers(ours_part, theirs), f"{listing}: chain component {k}")
            else:
                joined = []
                for c in components:
                    points = [c[i:i + 2] for i in range(0, len(c), 2)]
                    for p in points:
                        if not joined or joined[-1] != p:
                            joined.append(p)
                flat = [v for p in joined for v in p]
                check(kind == "POLYGON" and same_numbers(flat, parts[0]), f"{listing}: shape of {len(joined)} points, ring of {len(parts[0]) // 2}")


def main():
    for name in ("new_2d.dgn", "new_3d.dgn", "roundtrip.dgn", "ogr_2d_saved.dgn", "ogr_3d_saved.dgn"):
        check_v8(name)
    for name in ("ogr_2d.dgn", "ogr_3d.dgn", "crafted_v7.dgn"):
        check_v7(name)
    check_colours()
    for name in ("ogr_shapes_2d", "ogr_shapes_3d"):
        check_ogr_shapes(name)
    check_ogr_long("ogr_long_2d")
    for f in failures:
        print("FAIL:", f)
    print("%d checks failed" % len(failures) if failures else "all design files read by the independent readers")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
