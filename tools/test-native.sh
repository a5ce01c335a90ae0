#!/usr/bin/env bash
# Builds the plug-ins' plain C++ libraries natively with clang (native/CMakeLists.txt) under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs their tests: the unit tests, each
# fuzz target's seeds, and each fuzz target for a bounded time (YVEX_FUZZ_SECONDS, default 10).
# Any sanitizer report fails the run.
set -euo pipefail
source "$(dirname "$0")/env.sh"
b="${YVEX_BUILD_NATIVE:-$YVEX_ROOT/build-native}"
CC=clang CXX=clang++ cmake -S "$YVEX_ROOT/native" -B "$b" -G Ninja \
  -DYVEX_FUZZ_SECONDS="${YVEX_FUZZ_SECONDS:-10}" >/dev/null
cmake --build "$b"
cd "$b"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --output-on-failure -j"${YVEX_TEST_JOBS:-$(nproc)}" "$@"
