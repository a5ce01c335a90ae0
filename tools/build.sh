#!/usr/bin/env bash
# Configures and builds everything (setup first, so a fresh machine needs nothing else).
set -euo pipefail
source "$(dirname "$0")/env.sh"
[ "${YVEX_SKIP_SETUP:-}" = 1 ] || "$YVEX_ROOT/tools/setup.sh"
if [ ! -f "$YVEX_BUILD/build.ninja" ]; then
  cmake -S "$YVEX_ROOT" -B "$YVEX_BUILD" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$YVEX_ROOT/cmake/toolchain-mingw64.cmake" \
    -DYVEX_THIRDPARTY="$YVEX_THIRDPARTY"
fi
cmake --build "$YVEX_BUILD" "$@"
