#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test under Wine. Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$YVEX_ROOT/tools/build.sh"
# The product must also compile and link for 32-bit Windows.
[ "${YVEX_SKIP_I686:-}" = 1 ] || "$YVEX_ROOT/tools/build32.sh"
services_up=()
cleanup() {
  for s in "${services_up[@]}"; do "$YVEX_ROOT/tools/$s" stop || true; done
  "$YVEX_ROOT/tools/wine-run" --down
}
trap cleanup EXIT
# Wine's session comes up after the services: it takes the print queues it finds as it starts. A
# session left up by an earlier command (a benchmark, a host run by hand) goes first.
"$YVEX_ROOT/tools/wine-run" --down
# Test services (database servers and the like) are started here by their own scripts.
for s in $(ls "$YVEX_ROOT/tools" | grep -E '^service-.*\.sh$' || true); do
  "$YVEX_ROOT/tools/$s" start
  services_up+=("$s")
done
"$YVEX_ROOT/tools/wine-run" --up
# The tests labelled "desktop" drive dialogs and popups, which another program's window taking
# the activation would close: they run one at a time once the rest are done.
(cd "$YVEX_BUILD" && ctest --output-on-failure -j"${YVEX_TEST_JOBS:-$(nproc)}" -LE desktop "$@")
(cd "$YVEX_BUILD" && ctest --output-on-failure -j1 -L desktop "$@")
# The plain C++ libraries again, natively under the sanitizers, with their fuzz targets.
[ "${YVEX_SKIP_NATIVE:-}" = 1 ] || "$YVEX_ROOT/tools/test-native.sh"
