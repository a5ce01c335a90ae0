#!/usr/bin/env bash
# One-time (idempotent) machine setup for building and testing YVEX on Debian 12.
# Installs the cross toolchain, Wine, ODBC drivers, test readers and clang with its sanitizer
# and fuzzer runtimes (the native build of tools/test-native.sh), creates the
# project's Wine prefix and builds the third-party libraries for mingw into a cache.
set -euo pipefail
source "$(dirname "$0")/env.sh"
here=$YVEX_ROOT

need_root() { [ "$(id -u)" = 0 ] || { echo "setup must run as root" >&2; exit 1; }; }

PKGS=(wine wine64 libwine-dev mingw-w64 mingw-w64-tools g++-mingw-w64-x86-64-posix
      gcc-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix libz-mingw-w64-dev cmake ninja-build googletest
      unixodbc unixodbc-dev libsqliteodbc odbc-postgresql postgresql sqlite3 xvfb xauth
      python3-ezdxf python3-pyshp python3-olefile libgsf-bin libolecf-utils dime gdal-bin qpdf poppler-utils
      geographiclib-tools
      libxml2-utils printemf emf2svg python3-pyftpdlib python3-pil python3-tifffile dpkg-dev curl ca-certificates cups printer-driver-cups-pdf
      clang libclang-rt-dev zlib1g-dev)

install_packages() {
  local missing=()
  for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    need_root
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

install_packages
# npm fetches shapelib's sources; a machine whose Node.js carries its own npm keeps it.
if ! command -v npm >/dev/null; then PKGS=(npm); install_packages; fi
"$here/tools/thirdparty.sh"
"$here/tools/wineprefix.sh"
# The embedded default site database's data source.
"$here/tools/db.sh" init-default
echo "setup: done"
