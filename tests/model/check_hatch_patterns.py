#!/usr/bin/python3
"""The built-in hatch patterns as the control parsed them (model_hatch_test wrote them) against
ezdxf's table of the usual inch definitions. ezdxf keeps each line's offset turned by the line's
angle; it is turned back into the definition form (along the line, across it) before comparing.
Ten patterns are ours alone and are checked by the test itself: SOLID, ANSI31, DIAGONAL, DASH, NET,
NET3, ANSI32, MUDST, SQUARE and ZIGZAG (ezdxf has no DIAGONAL, another dummy line for SOLID and a
ZIGZAG twice the size)."""
import math
import os
import sys

from ezdxf.tools.pattern import IMPERIAL_PATTERN

OURS = {"SOLID", "ANSI31", "DIAGONAL", "DASH", "NET", "NET3", "ANSI32", "MUDST", "SQUARE", "ZIGZAG"}
TOLERANCE = 1e-6

path = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "model", "hatch_out", "builtins.txt")
patterns, current = {}, None
with open(path) as f:
    for line in f:
        line = line.strip()
        if line.startswith("*"):
            current = patterns.setdefault(line[1:], [])
        elif line:
            current.append([float(v) for v in line.split()])

failures = []
if len(patterns) != 27:
    failures.append("%d built-ins, not 27" % len(patterns))
checked = 0
for name, lines in sorted(patterns.items()):
    if name in OURS:
        continue
    theirs = IMPERIAL_PATTERN.get(name)
    if theirs is None:
        failures.append("%s: not in ezdxf's table" % name)
        continue
    checked += 1
    if len(lines) != len(theirs):
        failures.append("%s: %d lines, ezdxf %d" % (name, len(lines), len(theirs)))
        continue
    for i, (ours, (angle, base, offset, dashes)) in enumerate(zip(lines, theirs)):
        a = math.radians(-angle)
        along = math.cos(a) * offset[0] - math.sin(a) * offset[1]
        across = math.sin(a) * offset[0] + math.cos(a) * offset[1]
        want = [angle, base[0], base[1], along, across] + list(dashes)
        if len(ours) != len(want) or any(abs(x - y) > TOLERANCE for x, y in zip(ours, want)):
            failures.append("%s line %d: %s, ezdxf %s" % (name, i, ours, want))
if checked != 17:
    failures.append("%d patterns compared, not 17" % checked)

if failures:
    print("FAIL", *failures, sep="\n  ")
    sys.exit(1)
print("PASS check_hatch_patterns: %d built-ins equal ezdxf's definitions" % checked)
