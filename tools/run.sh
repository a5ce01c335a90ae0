#!/usr/bin/env bash
# The product's main job: set up, build, register the control, and run the sample host, which
# embeds the control in a window, builds a site (or imports the DXF file given), saves it in the
# database, loads it into a fresh control and writes out/sample.png, out/sample.dxf and
# out/sample.emf, then out/sample.dgn, .shp (with .shx and .dbf), .xaml and .pdf through the
# plug-ins (naming those whose exporter is not built yet). A .dgn, .shp or plotter file (.gbr,
# .ger, .pho) is imported through the matching plug-in.
#   tools/run.sh [FILE] [--dsn NAME]
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$YVEX_ROOT/tools/build.sh" --target yvex yvex_host dgn shp xaml pdf
# The embedded default site database (set-up defines it too; this holds when set-up is skipped).
"$YVEX_ROOT/tools/db.sh" init-default
"$YVEX_ROOT/tools/wine-run" regsvr32 /s "$YVEX_BUILD/automation/yvex.dll"

winpath() { echo "Z:$(realpath -m "$1" | tr / '\\')"; }
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --dsn) args+=("$1" "$2"); shift 2 ;;
    *) args+=("$(winpath "$1")"); shift ;;
  esac
done
mkdir -p "$YVEX_ROOT/out"
exec "$YVEX_ROOT/tools/wine-run" "$YVEX_BUILD/samples/host/yvex_host.exe" --out "$(winpath "$YVEX_ROOT/out")" \
  --plugins "$(winpath "$YVEX_BUILD/plugins")" "${args[@]}"
