#!/usr/bin/env python3
"""The PDF files that the print queue test's jobs became: as many as it spooled, each a sound
PDF of one page (qpdf). Skipped (exit 0 with a note) when the printer service is not running."""
import glob
import os
import subprocess
import sys
import time

folder = os.environ.get('YVEX_CUPS_DIR', '')
out = os.path.join(folder, 'pdf')
if not folder or not os.path.exists(os.path.join(folder, 'cupsd.pid')):
    print('SKIP print queue: the printer service is not running')
    sys.exit(0)
expected_file = os.path.join(out, 'expected.txt')
if not os.path.exists(expected_file):
    print('FAIL print queue: the printing test wrote no jobs')
    sys.exit(1)
expected = int(open(expected_file).read().strip())

# The queue empties once the last job's PDF is written.
deadline = time.time() + 60
while time.time() < deadline:
    pending = subprocess.run(['lpstat', '-o', 'YVEX_PDF'], capture_output=True, text=True).stdout.strip()
    files = glob.glob(os.path.join(out, 'YVEXControl_Document*.pdf'))
    if not pending and len(files) >= expected:
        break
    time.sleep(0.5)
files = sorted(glob.glob(os.path.join(out, 'YVEXControl_Document*.pdf')))
failures = []
if len(files) != expected:
    failures.append('%d PDF files for %d jobs: %s' % (len(files), expected, files))
for path in files:
    check = subprocess.run(['qpdf', '--check', path], capture_output=True, text=True)
    if check.returncode != 0:
        failures.append('%s: qpdf --check exit %d' % (path, check.returncode))
    pages = subprocess.run(['qpdf', '--show-npages', path], capture_output=True, text=True).stdout.strip()
    if pages != '1':
        failures.append('%s: %s pages' % (path, pages))
if failures:
    print('FAIL print queue:\n' + '\n'.join(failures))
    sys.exit(1)
print('PASS print queue: %d one-page PDF files' % len(files))
