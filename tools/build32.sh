#!/usr/bin/env bash
# Compile-and-link check of the product for 32-bit Windows (i686), so no 64-bit assumption
# creeps in. Nothing of it runs: there is no 32-bit Wine here.
set -euo pipefail
source "$(dirname "$0")/env.sh"
b="${YVEX_BUILD32:-$YVEX_ROOT/build-i686}"
if [ ! -f "$b/build.ninja" ]; then
  cmake -S "$YVEX_ROOT" -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$YVEX_ROOT/cmake/toolchain-mingw32.cmake" \
    -DYVEX_THIRDPARTY="$YVEX_THIRDPARTY" >/dev/null
fi
cmake --build "$b" "$@"
