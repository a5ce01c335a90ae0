#!/usr/bin/env python3
"""Checks every `#include "folder/..."` of the source tree against the floor plan (floorplan.txt).

Prints one line per include outside the plan, `file:line: model may not include control/ShapeMap.h`,
and exits 1 when there is any; also when the plan's edges form a circle, when a source file lies in
a folder the plan does not name, or when a shared header includes a product header.
`--self-test` runs the check on a small made-up tree and exits 1 when it misses what it must find.
"""
import os
import re
import sys
import tempfile

SOURCE_SUFFIXES = ('.h', '.hpp', '.c', '.cpp', '.cpp.in')
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+/[^"]+)"')
# Folders the build adds to the include path besides the root: "com/Owners.h" is platform/com.
INCLUDE_ROOTS = ('', 'platform/', 'plugins/')


def read_plan(path):
    allowed, shared, problems = {}, set(), []
    name = os.path.basename(path)
    last = None
    with open(path, encoding='utf-8') as f:
        for line in f:
            words = line.split('#', 1)[0].split()
            if not words:
                continue
            targets = [w for w in words[1:] if w != '-']
            if line[0].isspace() and last is not None:
                # A continuation of the folder above.
                (shared if last == 'shared' else allowed[last]).update(words)
            elif words[0] == 'shared':
                shared.update(targets)
                last = 'shared'
            else:
                allowed[words[0]] = set(targets)
                last = words[0]
    for folder, targets in allowed.items():
        for target in targets:
            if target not in allowed:
                problems.append('%s: %s may include %s, which the plan does not name' % (name, folder, target))
    problems += circles(allowed, name)
    return allowed, shared, problems


def circles(allowed, path):
    found, state = [], {}

    def visit(folder, trail):
        state[folder] = 1
        for target in sorted(allowed.get(folder, ())):
            if state.get(target) == 1:
                cycle = trail[trail.index(target):] + [target]
                found.append('%s: the plan has a circle: %s' % (path, ' -> '.join(cycle)))
            elif target not in state:
                visit(target, trail + [target])
        state[folder] = 2

    for folder in sorted(allowed):
        if folder not in state:
            visit(folder, [folder])
    return found


def folder_of(path, allowed):
    """The longest folder of the plan that holds the path, or None."""
    best = None
    for folder in allowed:
        if path == folder or path.startswith(folder + '/'):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def resolve(include, root, allowed):
    """The include as a path of the tree: the first include root that holds the file, else the
    first under which the plan knows the folder (generated headers)."""
    candidates = [prefix + include for prefix in INCLUDE_ROOTS]
    for candidate in candidates:
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    for candidate in candidates:
        if folder_of(candidate, allowed):
            return candidate
    return None


def source_files(root):
    for directory, subdirs, files in os.walk(root):
        # Build trees (they hold a CMakeCache.txt) and hidden folders are not sources.
        subdirs[:] = sorted(d for d in subdirs if not d.startswith('.')
                            and not os.path.isfile(os.path.join(directory, d, 'CMakeCache.txt')))
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, '/')


def check(root, plan_path):
    allowed, shared, problems = read_plan(plan_path)
    files = includes = 0
    for path in source_files(root):
        if '/' not in path:
            continue
        source_folder = folder_of(path, allowed)
        if source_folder is None:
            problems.append('%s: its folder is not in the floor plan (%s)' % (path, os.path.basename(plan_path)))
            continue
        files += 1
        with open(os.path.join(root, path), encoding='utf-8', errors='replace') as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                includes += 1
                include = m.group(1)
                target = resolve(include, root, allowed)
                if target is None:
                    problems.append('%s:%d: %s includes %s, which lies in no folder of the plan'
                                    % (path, number, source_folder, include))
                    continue
                if path in shared and target != path:
                    problems.append('%s:%d: a shared header may not include %s' % (path, number, include))
                    continue
                target_folder = folder_of(target, allowed)
                if target in shared or target_folder == source_folder \
                        or target_folder in allowed[source_folder]:
                    continue
                problems.append('%s:%d: %s may not include %s' % (path, number, source_folder, include))
    return problems, files, includes


def self_test():
    """The check finds a model file that includes the control, a circle in a plan, and a file outside
    the plan; and passes a tree that keeps to its plan."""
    failures = []
    with tempfile.TemporaryDirectory() as root:
        def write(path, text):
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), 'w') as f:
                f.write(text)
        write('plan.txt', 'platform -\nmodel platform\ncontrol model platform\nshared model/Codes.h\n')
        write('platform/com/Owners.h', '#pragma once\n')
        write('model/Codes.h', '#pragma once\n')
        write('control/ShapeMap.h', '#pragma once\n#include "model/Shape.h"\n#include "com/Owners.h"\n')
        write('model/Shape.h', '#pragma once\n#include "com/Owners.h"\n')
        write('model/Shape.cpp', '#include "model/Shape.h"\n#include "control/ShapeMap.h"\n')
        write('platform/com/Bad.h', '#include "model/Codes.h"\n#include "model/Shape.h"\n')
        problems, _, _ = check(root, os.path.join(root, 'plan.txt'))
        expected = ['model/Shape.cpp:2: model may not include control/ShapeMap.h',
                    'platform/com/Bad.h:2: platform may not include model/Shape.h']
        if problems != expected:
            failures.append('a tree with two wrong edges gave %r, not %r' % (problems, expected))
        os.remove(os.path.join(root, 'model/Shape.cpp'))
        os.remove(os.path.join(root, 'platform/com/Bad.h'))
        problems, files, includes = check(root, os.path.join(root, 'plan.txt'))
        if problems or files != 4 or includes != 3:
            failures.append('a tree that keeps to its plan gave %r (%d files, %d includes)'
                            % (problems, files, includes))
        write('plan.txt', 'platform -\nmodel control platform\ncontrol model platform\n')
        problems, _, _ = check(root, os.path.join(root, 'plan.txt'))
        if not any('circle: control -> model -> control' in p for p in problems):
            failures.append('a plan with a circle gave %r' % problems)
        write('ui/Page.cpp', '\n')
        problems, _, _ = check(root, os.path.join(root, 'plan.txt'))
        if not any(p.startswith('ui/Page.cpp: its folder is not in the floor plan') for p in problems):
            failures.append('a file outside the plan gave %r' % problems)
    for failure in failures:
        print('self-test: ' + failure)
    print('self-test %s' % ('FAILED' if failures else 'passed'))
    return 1 if failures else 0


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    if '--self-test' in sys.argv[1:]:
        return self_test()
    root = os.path.abspath(os.path.join(here, '..', '..'))
    problems, files, includes = check(root, os.path.join(here, 'floorplan.txt'))
    for problem in problems:
        print(problem)
    print('floor plan: %d files, %d includes, %d outside the plan' % (files, includes, len(problems)))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
