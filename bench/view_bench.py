#!/usr/bin/python3
"""The view benchmark: a large drawing in a hosted control, redrawn, zoomed, panned, clicked,
selected, measured and saved, each beside a peer that does the same work barely.

Run with Debian's Python (its ezdxf module) after a build (./tools/build.sh):

    /usr/bin/python3 bench/view_bench.py [--sizes 10,40,100] [--kinds plain,exported]
                                         [--site-sizes 10] [--csv FILE] [--skip-peers]

The drawings are the DXF load benchmark's (bench/dxf_bench.py writes them once, with ezdxf, into
~/.cache/yvex/bench). For each one, build/bench/view_bench.exe loads it into the registered
control hosted in a 1280 x 960 window and measures, in one process (see view_bench.cpp; every
repeatable measure is the best of three):
  full redraw        ISite::Draw of the whole drawing into a 1920 x 1080 DIB section; the peer is
                     bare GDI drawing the same geometry into the same kind of DIB in the process
  zoomed redraw      ISite::DrawEx of a view of a tenth of each side of the drawing (three
                     places, the mean); the peer is our full redraw (goal: at most 5 % of it)
  pan                the same after a pan by half the window; the peer is our full redraw
  zoom window        IYVEXControl::ZoomWindow onto such a view with its repaint of the window,
                     and the pan's repaint; the peer is ZoomAll with its repaint
  ZoomAll            IYVEXControl::ZoomAll with its repaint of the window (goal: under 50 ms
                     at 40 MB)
  hit test           a left button press at 100 random points of the whole drawing (goal: under
                     1 ms at 100 MB, mean)
  rubber band        a drag over a tenth of each side selecting what lies inside (goal: under
                     20 ms)
  memory             the process's peak working set after the load, and bytes a shape (the peak
                     less the working set before the load, over the drawing's shapes, points
                     included); the peer is `ogrinfo -al -so`'s peak (goal: at most 8 times it
                     at 100 MB, at most 400 bytes a shape)
  SaveDXF            IDXFOperations::SaveDXF as R12 ASCII; the peer is ezdxf's doc.saveas of the
                     document it read from the same file (goal: at least 10 times faster)
  site save / load   (sizes in --site-sizes) the drawing saved to a new site on an SQLite file
                     and loaded into a second control, beside one transaction of bare inserts of
                     as many rows and one select reading them back (goal: within 2 times)
and, on the 10 kB drawing, the load of a hosted control beside a windowless one (goal: within 2
times). Each row gives our seconds, the peer's, their ratio and the goal; rows of 40 and 100 MB
also give their time over the 10 MB row's (goal: at most 11 at 100 MB). The table is printed
and written as CSV (bench/view_bench.csv in the build folder unless --csv says otherwise).

It is never part of the tests: timings depend on the machine and its load.
"""
import argparse
import csv
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import dxf_bench  # noqa: E402  (the drawings and the helpers that run the programs)

ROOT = dxf_bench.ROOT


def view_program(build, args):
    exe = os.path.join(build, "bench", "view_bench.exe")
    _, peak, out, code = dxf_bench.run([os.path.join(ROOT, "tools", "wine-run"), exe] + args)
    values = {}
    for line in out.splitlines():
        if "=" in line:
            key, value = line.strip().split("=", 1)
            values[key] = value
    if code != 0:
        values.setdefault("note", "failed (exit %d)" % code)
    return values


def ezdxf_saveas(path, runs):
    """ezdxf reads the file once, then writes the document it read: the fastest of `runs`."""
    code = ("import os, sys, time, tempfile, ezdxf\n"
            "doc = ezdxf.readfile(%r)\n"
            "out = os.path.join(tempfile.gettempdir(), 'yvex-view-bench-ezdxf-%%d.dxf' %% os.getpid())\n"
            "best = None\n"
            "for _ in range(%d):\n"
            "    t = time.perf_counter(); doc.saveas(out); t = time.perf_counter() - t\n"
            "    best = t if best is None else min(best, t)\n"
            "os.remove(out)\n"
            "print(best)\n" % (path, runs))
    _, _, out, rc = dxf_bench.run(["/usr/bin/python3", "-c", code])
    return float(out.strip().splitlines()[-1]) if rc == 0 else None


def ogrinfo_peak(path):
    wall, peak, _, rc = dxf_bench.run(["ogrinfo", "-ro", "-al", "-so", path], keep_output=False)
    return peak if rc == 0 else None


def num(values, key):
    try:
        return float(values[key])
    except (KeyError, ValueError):
        return None


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--sizes", default="10,40,100", help="drawing sizes in MB")
    ap.add_argument("--kinds", default="plain,exported", help="drawing kinds: plain, exported")
    ap.add_argument("--site-sizes", default="10", help="sizes whose site save and load are measured")
    ap.add_argument("--build", default=os.environ.get("YVEX_BUILD", os.path.join(ROOT, "build")))
    ap.add_argument("--csv", default=None)
    ap.add_argument("--skip-peers", action="store_true", help="no ezdxf or ogrinfo runs")
    opts = ap.parse_args()
    csv_path = opts.csv or os.path.join(opts.build, "bench", "view_bench.csv")
    sizes = [float(s) for s in opts.sizes.split(",") if s]
    site_sizes = [float(s) for s in opts.site_sizes.split(",") if s]
    kinds = [k for k in opts.kinds.split(",") if k]

    subprocess.run([os.path.join(ROOT, "tools", "wine-run"), "--up"], check=True)
    dll = dxf_bench.wine_path(os.path.join(opts.build, "automation", "yvex.dll"))
    subprocess.run([os.path.join(ROOT, "tools", "wine-run"), "regsvr32", "/s", dll], check=False)

    rows = []

    def row(kind, mb, measure, ours, peer_name, peer, goal, note=""):
        ratio = ours / peer if ours is not None and peer else None
        rows.append({"drawing": kind, "file_mb": mb, "measure": measure,
                     "ours": "" if ours is None else "%.4g" % ours,
                     "peer": peer_name, "peer_value": "" if peer is None else "%.4g" % peer,
                     "ratio": "" if ratio is None else "%.3g" % ratio, "goal": goal, "note": note})

    try:
        for kind in kinds:
            small = dxf_bench.drawing(0.01, kind)
            v = view_program(opts.build, ["small", dxf_bench.wine_path(small)])
            row(kind, "%.3g" % (os.path.getsize(small) / 1e6), "small load, hosted (s)", num(v, "hosted_load"),
                "windowless load", num(v, "windowless_load"), "ratio <= 2", v.get("note", ""))
            for mb in sizes:
                path = dxf_bench.drawing(mb, kind)
                size = "%.3g" % (os.path.getsize(path) / 1e6)
                args = ["drawing", dxf_bench.wine_path(path)] + (["site"] if mb in site_sizes else [])
                print("%s %s MB ..." % (kind, size), file=sys.stderr, flush=True)
                v = view_program(opts.build, args)
                full = num(v, "draw_full")
                zoomall = num(v, "zoomall_repaint")
                shapes = num(v, "shapes")
                row(kind, size, "load, hosted (s)", num(v, "load"), "", None, "",
                    "%s shapes, %s points" % (v.get("shapes", "?"), v.get("points", "?")))
                row(kind, size, "full redraw (s)", full, "bare GDI", num(v, "gdi_full"), "ratio <= 1.5",
                    "%s figures; inked %s / %s" % (v.get("figures", "?"), v.get("full_inked", "?"), v.get("bare_inked", "?")))
                row(kind, size, "zoomed redraw 1 % (s)", num(v, "draw_zoom"), "our full redraw", full, "ratio <= 0.05")
                row(kind, size, "pan redraw (s)", num(v, "draw_pan"), "our full redraw", full, "ratio <= 0.05")
                row(kind, size, "zoom window + repaint (s)", num(v, "zoomwindow_repaint"), "ZoomAll + repaint", zoomall,
                    "ratio <= 0.05")
                row(kind, size, "pan + repaint (s)", num(v, "pan_repaint"), "ZoomAll + repaint", zoomall, "ratio <= 0.05")
                row(kind, size, "ZoomAll + repaint (s)", zoomall, "", None, "< 0.05 s at 40 MB")
                row(kind, size, "hit test, mean of 100 (s)", num(v, "hit_mean"), "", None, "< 0.001 s at 100 MB",
                    "%s of 100 hit; click with release %s s" % (v.get("hit_points_hit", "?"), v.get("click_mean", "?")))
                row(kind, size, "rubber band 1 % (s)", num(v, "band"), "", None, "< 0.02 s",
                    v.get("band_note", "selected: %s" % v.get("band_selected", "?")))
                peak = num(v, "peak_bytes")
                base = num(v, "base_bytes")
                peer_peak = None if opts.skip_peers else ogrinfo_peak(path)
                row(kind, size, "peak memory (MB)", peak / 1e6 if peak else None, "ogrinfo -al -so peak",
                    peer_peak / 1e6 if peer_peak else None, "ratio <= 8 at 100 MB")
                per_shape = (peak - base) / shapes if peak and base and shapes else None
                row(kind, size, "bytes a shape", per_shape, "", None, "<= 400",
                    "peak %.0f MB less %.0f MB before the load" % ((peak or 0) / 1e6, (base or 0) / 1e6))
                saveas = None if opts.skip_peers else ezdxf_saveas(path, 3)
                row(kind, size, "SaveDXF (s)", num(v, "savedxf"), "ezdxf saveas", saveas, "ratio <= 0.1",
                    v.get("savedxf_note", "%s bytes" % v.get("savedxf_bytes", "?")))
                if mb in site_sizes:
                    row(kind, size, "site save (s)", num(v, "site_save"), "bare insert", num(v, "bare_insert"),
                        "ratio <= 2", v.get("site_rows", "") + " " + v.get("site_note", ""))
                    row(kind, size, "site load (s)", num(v, "site_load"), "bare select", num(v, "bare_select"),
                        "ratio <= 2")
                if "note" in v:
                    row(kind, size, "note", None, "", None, "", v["note"])
    finally:
        subprocess.run([os.path.join(ROOT, "tools", "wine-run"), "regsvr32", "/s", "/u", dll], check=False)

    # Cost in size: each row over the same row of the smallest drawing of its kind.
    for r in rows:
        first = [q for q in rows if q["drawing"] == r["drawing"] and q["measure"] == r["measure"] and q["ours"]]
        r["x_smallest"] = ""
        if r["ours"] and len(first) > 1 and first[0] is not r and float(first[0]["ours"]) > 0:
            r["x_smallest"] = "%.3g" % (float(r["ours"]) / float(first[0]["ours"]))

    fields = ["drawing", "file_mb", "measure", "ours", "peer", "peer_value", "ratio", "goal", "x_smallest", "note"]
    os.makedirs(os.path.dirname(csv_path), exist_ok=True)
    with open(csv_path, "w", newline="") as f:
        w = csv.DictWriter(f, fieldnames=fields)
        w.writeheader()
        w.writerows(rows)
    widths = {k: max(len(k), *(len(r[k]) for r in rows)) for k in fields}
    print("  ".join(k.ljust(widths[k]) for k in fields))
    for r in rows:
        print("  ".join(r[k].ljust(widths[k]) for k in fields))
    print("(ratio: ours over the peer; x_smallest: over the same row of the first size; CSV in %s; load average %s)"
          % (csv_path, os.popen("uptime").read().strip().split("load average:")[-1].strip()))


if __name__ == "__main__":
    main()
