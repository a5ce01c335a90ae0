#!/usr/bin/python3
"""Where a benchmark's time went: the samples a benchmark program wrote with YVEX_BENCH_PROFILE
(bench/SamplingProfiler.h) as functions, per section, by their own samples (the function was
running) and by all samples it was on the stack for.

    python3 bench/profile_report.py SAMPLES [--top 40] [--section NAME]

Modules are found by their Windows paths (Z:\\... is the Unix root; other drives are looked up in
the Wine prefix of YVEX_WINEPREFIX); functions through x86_64-w64-mingw32-addr2line, which
follows a module's debug link to its NAME.debug file.
"""
import argparse
import collections
import os
import struct
import subprocess


def unix_path(path):
    if path[:2].upper() == "Z:":
        return path[2:].replace("\\", "/")
    prefix = os.environ.get("YVEX_WINEPREFIX") or os.environ.get("WINEPREFIX") or os.path.expanduser("~/.wine")
    return os.path.join(prefix, "drive_" + path[0].lower(), path[3:].replace("\\", "/"))


def image_base(path):
    try:
        with open(path, "rb") as f:
            data = f.read(4096)
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        magic = struct.unpack_from("<H", data, pe + 24)[0]
        return struct.unpack_from("<Q" if magic == 0x20B else "<I", data, pe + 24 + (24 if magic == 0x20B else 28))[0]
    except (OSError, struct.error):
        return None


def symbolize(path, offsets):
    """Function names of the module's offsets (relative to where it was loaded)."""
    unix = unix_path(path)
    base = image_base(unix)
    names = {}
    if base is None or not os.path.exists(unix):
        return {o: "[%s]" % os.path.basename(unix) for o in offsets}
    ordered = sorted(offsets)
    out = subprocess.run(["x86_64-w64-mingw32-addr2line", "-f", "-C", "-e", unix] + ["%x" % (base + o) for o in ordered],
                         capture_output=True, text=True).stdout.splitlines()
    for i, o in enumerate(ordered):
        name = out[2 * i] if 2 * i < len(out) else "??"
        # Functions of modules without debugging information count for their module.
        names[o] = ("%s!%s" % (os.path.basename(unix), name)) if name != "??" else "[%s]" % os.path.basename(unix)
    return names


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("samples")
    ap.add_argument("--top", type=int, default=40)
    ap.add_argument("--section", default=None)
    opts = ap.parse_args()
    sections = []
    current = None
    with open(opts.samples) as f:
        for line in f:
            parts = line.split()
            if not parts:
                continue
            if parts[0] == "section":
                current = {"name": parts[1], "modules": [], "samples": []}
                sections.append(current)
            elif parts[0] == "module":
                current["modules"].append((int(parts[1], 16), int(parts[2], 16), " ".join(parts[3:])))
            elif parts[0] == "sample":
                current["samples"].append([int(p, 16) for p in parts[1:]])
    for section in sections:
        if opts.section and section["name"] != opts.section:
            continue
        wanted = collections.defaultdict(set)

        def where(address):
            for base, end, path in section["modules"]:
                if base <= address < end:
                    return path, address - base
            return None, address

        for sample in section["samples"]:
            for a in sample:
                path, off = where(a)
                if path:
                    wanted[path].add(off)
        names = {}
        for path, offsets in wanted.items():
            for off, name in symbolize(path, offsets).items():
                names[(path, off)] = name

        def name_of(address):
            path, off = where(address)
            return names.get((path, off), "?%x" % address) if path else "?%x" % address

        own = collections.Counter()
        total = collections.Counter()
        for sample in section["samples"]:
            if not sample:
                continue
            own[name_of(sample[0])] += 1
            for n in set(name_of(a) for a in sample):
                total[n] += 1
        count = len(section["samples"])
        print("== %s: %d samples" % (section["name"], count))
        print("   own    all  function")
        for n, c in total.most_common(opts.top):
            print("%5.1f%% %5.1f%%  %s" % (100.0 * own[n] / count, 100.0 * c / count, n))
        print("   -- by own samples")
        for n, c in own.most_common(opts.top // 2):
            print("%5.1f%%         %s" % (100.0 * c / count, n))


if __name__ == "__main__":
    main()
