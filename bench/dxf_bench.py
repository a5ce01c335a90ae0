#!/usr/bin/python3
"""The DXF load benchmark: our group pass and our load against ezdxf and GDAL on the same files.

Run with Debian's Python (its ezdxf module) after a build (./tools/build.sh):

    /usr/bin/python3 bench/dxf_bench.py [--sizes 0.01,10,40,100] [--kinds plain,exported] [--runs 3]
                                        [--csv FILE] [--skip-peers]

Each size (in MB) is a synthetic R12 drawing of each kind, written once with ezdxf and kept in
~/.cache/yvex/bench (YVEX_BENCH_CACHE moves it):
  plain     lines, arcs, circles, polylines with bulges, texts and references to one block, on
            four layers, every entity as short as R12 allows (r12_SIZEmb.dxf)
  exported  shaped like the files other drafting programs export: every entity with a handle, an
            explicit line type (CONTINUOUS) and colour (7), on one of 200 layers; 95 % LINEs with
            some polylines, arcs and texts; 300 blocks of 10 to 50 entities and a reference to
            one of them for every hundred entities (r12x_SIZEmb.dxf)
For each file, in one run, it measures:
  groups        our group reader alone (CDxfFile::ReadGroup to the end of the mapped file), the
                best of three passes, timed inside the program under Wine
  load          our full load into a control (IDXFOperations::LoadDXF on the caller's thread:
                header, tables, blocks, entities, references resolved), timed inside the program;
                its note gives the time a second load of the file into the same control takes
                (the first drawing goes first) and the time the control then takes to go with the
                drawing (its last release), both outside the load's time
  entities      the ENTITIES section read into a control's drawing by the shapes' own readers
                (no tables, no blocks): what of a load exists before the full load does
  ezdxf         ezdxf.readfile, timed inside Python
  ogrinfo -so   `ogrinfo -al -so`, the whole process
  ogrinfo -al   `ogrinfo -al` (output discarded), the whole process
Each measure but the group pass (which takes the best of its own three passes) and ogrinfo -al
(which runs once: it takes a minute at 100 MB) runs --runs times, and the fastest run counts,
as seconds, MB/s, the ratio of each time to that of our group pass, our load and our entities,
and the peak resident memory of the process that did it (for ours, the whole Wine process, the
mapped file's pages included; for our load, the peak when the load ends, before the second
load). It prints a table and writes it as CSV (bench/dxf_bench.csv in the build folder unless
--csv says otherwise).

It is never part of the tests: timings depend on the machine and its load.
"""
import argparse
import csv
import math
import os
import random
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def cache_dir():
    d = os.environ.get("YVEX_BENCH_CACHE") or os.path.join(os.path.expanduser("~"), ".cache", "yvex", "bench")
    os.makedirs(d, exist_ok=True)
    return d


def make_drawing(path, megabytes):
    """An R12 drawing of about `megabytes` MB, written with ezdxf; a fixed seed makes it the
    same file on every machine."""
    import ezdxf

    rnd = random.Random(str(megabytes))
    doc = ezdxf.new("R12")
    for i, name in enumerate(("WALLS", "DOORS", "TEXT", "AXES")):
        doc.layers.add(name, color=i + 1)
    block = doc.blocks.new("MARK")
    block.add_circle((0, 0), 0.5)
    block.add_line((-0.5, 0), (0.5, 0))
    block.add_line((0, -0.5), (0, 0.5))
    msp = doc.modelspace()
    # One round of the six kinds takes about 1.15 kB in R12 as ezdxf writes it.
    rounds = max(1, int(megabytes * 1000 * 1000 / 1160))
    for i in range(rounds):
        x, y = rnd.uniform(0, 10000), rnd.uniform(0, 10000)
        msp.add_line((x, y), (x + rnd.uniform(-50, 50), y + rnd.uniform(-50, 50)), dxfattribs={"layer": "WALLS"})
        msp.add_arc((x, y), rnd.uniform(1, 20), rnd.uniform(0, 360), rnd.uniform(0, 360))
        msp.add_circle((x + 5, y - 5), rnd.uniform(1, 10), dxfattribs={"layer": "AXES"})
        points = [(x + k * 3.0, y + rnd.uniform(-2, 2), 0, 0, rnd.choice((0.0, 0.5, -1.0))) for k in range(5)]
        msp.add_polyline2d(points, format="xyseb", dxfattribs={"layer": "DOORS"})
        msp.add_text("room %d" % i, dxfattribs={"insert": (x, y + 3), "height": 2.5, "layer": "TEXT"})
        msp.add_blockref("MARK", (x - 4, y + 4), dxfattribs={"xscale": 2, "yscale": 2, "rotation": rnd.uniform(0, 90)})
    tmp = path + ".part"
    doc.saveas(tmp)
    os.replace(tmp, path)


# One round of the exported drawing's model space (a hundred entities and a reference) takes
# about 13.95 kB as ezdxf writes it; its 300 blocks take 1.3 MB.
EXPORTED_ROUND_BYTES = 13950
EXPORTED_BLOCK_BYTES = 4330


def make_exported_drawing(path, megabytes):
    """An R12 drawing of about `megabytes` MB shaped like other programs' exports; a fixed seed
    makes it the same file on every machine. Below 5 MB it has fewer blocks, so that the file
    keeps its size."""
    import ezdxf

    rnd = random.Random("exported-%g" % megabytes)
    doc = ezdxf.new("R12")
    layers = ["%s-%03d" % (rnd.choice(("A-WALL", "E-LITE", "M-DUCT", "S-GRID", "P-FIXT", "X-ANNO")), i)
              for i in range(200)]
    for i, name in enumerate(layers):
        doc.layers.add(name, color=1 + i % 254)

    def c(v):
        # Coordinates with as many decimals as the exporting program chose.
        return round(v, rnd.choice((3, 4, 6, 8)))

    def attribs(layer, **more):
        more.update({"layer": layer, "linetype": "CONTINUOUS", "color": 7})
        return more

    def add_mix(space, x, y, count, spread, pick_layer):
        for _ in range(count):
            r = rnd.random()
            layer = pick_layer()
            px, py = x + rnd.uniform(-spread, spread), y + rnd.uniform(-spread, spread)
            if r < 0.95:
                space.add_line((c(px), c(py)), (c(px + rnd.uniform(-25, 25)), c(py + rnd.uniform(-25, 25))),
                               dxfattribs=attribs(layer))
            elif r < 0.97:
                points = [(c(px + j * rnd.uniform(1, 6)), c(py + rnd.uniform(-3, 3))) for j in range(rnd.randint(3, 9))]
                space.add_polyline2d(points, dxfattribs=attribs(layer))
            elif r < 0.99:
                space.add_arc((c(px), c(py)), c(rnd.uniform(0.5, 15)), c(rnd.uniform(0, 360)), c(rnd.uniform(0, 360)),
                              dxfattribs=attribs(layer))
            else:
                text = "%s %d" % (rnd.choice(("ROOM", "DOOR", "D-", "CABLE", "NOTE")), rnd.randint(1, 9999))
                space.add_text(text, dxfattribs=attribs(layer, insert=(c(px), c(py)), height=rnd.choice((1.8, 2.5, 3.5))))

    blocks = []
    for b in range(300 if megabytes >= 5 else max(1, int(megabytes * 1e6 / EXPORTED_BLOCK_BYTES / 4))):
        name = "BLK_%03d" % b
        add_mix(doc.blocks.new(name), 0, 0, rnd.randint(10, 50), 5.0, lambda: rnd.choice(layers))
        blocks.append(name)
    msp = doc.modelspace()
    rounds = max(1, int((megabytes * 1e6 - len(blocks) * EXPORTED_BLOCK_BYTES) / EXPORTED_ROUND_BYTES))
    for _ in range(rounds):
        x, y = rnd.uniform(0, 10000), rnd.uniform(0, 10000)
        # Most entities of a place lie on one layer, as drawn by hand.
        layer = rnd.choice(layers)
        add_mix(msp, x, y, 100, 60.0, lambda: layer if rnd.random() < 0.8 else rnd.choice(layers))
        msp.add_blockref(rnd.choice(blocks), (c(x), c(y)), dxfattribs=attribs(rnd.choice(layers), rotation=c(rnd.uniform(0, 360))))
    tmp = path + ".part"
    doc.saveas(tmp)
    os.replace(tmp, path)


KINDS = {"plain": ("r12_%gmb.dxf", make_drawing), "exported": ("r12x_%gmb.dxf", make_exported_drawing)}


def drawing(megabytes, kind="plain"):
    path = os.path.join(cache_dir(), KINDS[kind][0] % megabytes)
    if not os.path.exists(path):
        print("writing %s with ezdxf (once)..." % path, file=sys.stderr, flush=True)
        # In a process of its own: a process started from this one begins with this one's peak
        # memory, which ezdxf's writing would raise above every reader's.
        subprocess.run([sys.executable, os.path.abspath(__file__), "--write", path, str(megabytes), kind], check=True)
    return path


def best_of(times, measure):
    """The fastest of `times` runs of a measure (seconds, peak, note), with that run's peak and
    note; a failed run ends the series."""
    best = None
    for _ in range(times):
        result = measure()
        if result[0] is None:
            return result
        if best is None or result[0] < best[0]:
            best = result
    return best


def run(args, keep_output=True):
    """Runs a process; its wall time, its peak resident memory (bytes) and its output (or
    nothing: the output then goes straight to /dev/null)."""
    start = time.perf_counter()
    proc = subprocess.Popen(args, stdout=subprocess.PIPE if keep_output else subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    out = proc.stdout.read() if keep_output else b""
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    return time.perf_counter() - start, usage.ru_maxrss * 1024, out.decode("utf-8", "replace"), proc.returncode


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def ours(build, mode, path):
    """Our program under Wine: (seconds or None, peak memory, note)."""
    exe = os.path.join(build, "bench", "yvex_dxf_bench.exe")
    wall, peak, out, code = run([os.path.join(ROOT, "tools", "wine-run"), exe, mode, wine_path(path)])
    fields = dict(line.strip().split("=", 1) for line in out.splitlines() if "=" in line)
    if code != 0 or "seconds" not in fields:
        return None, peak, fields.get("note", "failed (exit %d)" % code)
    note = fields.get("note", "")
    if "peak_bytes" in fields:
        # The load's own peak, taken by the program before it loads the file again.
        peak = int(fields["peak_bytes"])
    if "release_seconds" in fields:
        note = ("released in %.4g s" % float(fields["release_seconds"]) + ("; " + note if note else ""))
    if "again_seconds" in fields:
        note = ("again in %.4g s" % float(fields["again_seconds"]) + ("; " + note if note else ""))
    return float(fields["seconds"]), peak, note


def ezdxf_readfile(path):
    code = ("import time, ezdxf\n"
            "t = time.perf_counter(); ezdxf.readfile(%r); print(time.perf_counter() - t)\n" % path)
    _, peak, out, rc = run(["/usr/bin/python3", "-c", code])
    return (float(out.strip().splitlines()[-1]) if rc == 0 else None), peak, "" if rc == 0 else "failed"


def ogrinfo(path, summary):
    args = ["ogrinfo", "-ro", "-al"] + (["-so"] if summary else []) + [path]
    wall, peak, _, rc = run(args, keep_output=False)
    return (wall if rc == 0 else None), peak, "" if rc == 0 else "failed"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--sizes", default="0.01,10,40,100", help="drawing sizes in MB")
    ap.add_argument("--kinds", default="plain,exported", help="drawing kinds: plain, exported")
    ap.add_argument("--build", default=os.environ.get("YVEX_BUILD", os.path.join(ROOT, "build")))
    ap.add_argument("--csv", default=None)
    ap.add_argument("--skip-peers", action="store_true", help="only our own measures")
    ap.add_argument("--runs", type=int, default=3, help="runs of each measure, the fastest counts")
    ap.add_argument("--write", nargs=3, metavar=("PATH", "MB", "KIND"), help=argparse.SUPPRESS)
    opts = ap.parse_args()
    if opts.write:
        KINDS[opts.write[2]][1](opts.write[0], float(opts.write[1]))
        return
    csv_path = opts.csv or os.path.join(opts.build, "bench", "dxf_bench.csv")

    subprocess.run([os.path.join(ROOT, "tools", "wine-run"), "--up"], check=True)
    # The load goes through the registered control, as a host's would.
    dll = wine_path(os.path.join(opts.build, "automation", "yvex.dll"))
    subprocess.run([os.path.join(ROOT, "tools", "wine-run"), "regsvr32", "/s", dll], check=False)

    rows = []
    try:
        for mb, kind in [(float(s), k) for s in opts.sizes.split(",") if s for k in opts.kinds.split(",") if k]:
            path = drawing(mb, kind)
            size = os.path.getsize(path)
            runs = max(1, opts.runs)
            measures = [("YVEX group pass",) + ours(opts.build, "groups", path),
                        ("YVEX load into a control",) + best_of(runs, lambda: ours(opts.build, "load", path)),
                        ("YVEX entities into a control",) + best_of(runs, lambda: ours(opts.build, "entities", path))]
            if not opts.skip_peers:
                # ogrinfo -al prints every feature and takes a minute at 100 MB: it runs once.
                measures += [("ezdxf.readfile",) + best_of(runs, lambda: ezdxf_readfile(path)),
                             ("ogrinfo -al -so",) + best_of(runs, lambda: ogrinfo(path, True)),
                             ("ogrinfo -al",) + ogrinfo(path, False)]
            base = {name: sec for name, sec, _, _ in measures}
            for name, sec, peak, note in measures:
                def ratio(to):
                    ref = base.get(to)
                    return "%.1f" % (sec / ref) if sec and ref else ""
                rows.append({
                    "drawing": kind,
                    "file_mb": "%.3g" % (size / 1e6),
                    "reader": name,
                    "seconds": "%.4g" % sec if sec else "",
                    "mb_per_s": "%.1f" % (size / 1e6 / sec) if sec else "",
                    "x_group_pass": ratio("YVEX group pass"),
                    "x_load": ratio("YVEX load into a control"),
                    "x_entities": ratio("YVEX entities into a control"),
                    "peak_mb": "%.0f" % (peak / 1e6),
                    "note": note,
                })
    finally:
        subprocess.run([os.path.join(ROOT, "tools", "wine-run"), "regsvr32", "/s", "/u", dll], check=False)

    fields = ["drawing", "file_mb", "reader", "seconds", "mb_per_s", "x_group_pass", "x_load", "x_entities", "peak_mb", "note"]
    os.makedirs(os.path.dirname(csv_path), exist_ok=True)
    with open(csv_path, "w", newline="") as f:
        w = csv.DictWriter(f, fieldnames=fields)
        w.writeheader()
        w.writerows(rows)
    widths = {k: max(len(k), *(len(r[k]) for r in rows)) for k in fields}
    print("  ".join(k.ljust(widths[k]) for k in fields))
    for r in rows:
        print("  ".join(r[k].ljust(widths[k]) for k in fields))
    print("(x_...: the reader's seconds over those of our group pass, load, entities; CSV in %s; load average %s)"
          % (csv_path, os.popen("uptime").read().strip().split("load average:")[-1].strip()))
    # The full load side by side with ezdxf.readfile on each file.
    for key in dict.fromkeys((r["drawing"], r["file_mb"]) for r in rows):
        same = [r for r in rows if (r["drawing"], r["file_mb"]) == key]
        ours_load = [r for r in same if r["reader"] == "YVEX load into a control"]
        peer = [r for r in same if r["reader"] == "ezdxf.readfile"]
        if ours_load and peer and ours_load[0]["seconds"] and peer[0]["seconds"]:
            print("%s %s MB: ezdxf.readfile %s s, our load %s s: %.1fx" % (
                key[0], key[1], peer[0]["seconds"], ours_load[0]["seconds"],
                float(peer[0]["seconds"]) / float(ours_load[0]["seconds"])))


if __name__ == "__main__":
    main()
