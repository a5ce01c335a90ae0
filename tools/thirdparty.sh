#!/usr/bin/env bash
# Builds the third-party libraries for mingw that Debian does not ship for Windows, into a
# cache outside the repository keyed by version: libtiff (from Debian's source package) and
# shapelib (its C sources as carried by an npm package). zlib comes from libz-mingw-w64-dev.
set -euo pipefail
source "$(dirname "$0")/env.sh"
TRIPLE=x86_64-w64-mingw32
mkdir -p "$YVEX_THIRDPARTY"
work="$YVEX_CACHE/src"
mkdir -p "$work"

# ---------------------------------------------------------------- libtiff
fetch_tiff() {  # version -> unpacked, patched source in $work/tiff/src
  rm -rf "$work/tiff" && mkdir -p "$work/tiff" && cd "$work/tiff"
  apt-get source --download-only "tiff=$1" >/dev/null 2>&1 || return 1
  # Unpacked with Debian's patches (security fixes included) applied.
  dpkg-source --no-check -x tiff_*.dsc src >/dev/null
}
build_tiff() {  # version
  local prefix="$YVEX_THIRDPARTY/tiff-$1"
  rm -rf "$work/tiff/build" "$prefix"
  # Codecs: LZW, PackBits, CCITT G3/G4, NeXT, ThunderScan, SGILog and the predictor;
  # no JPEG, no Deflate. Files are opened through Win32 file I/O.
  cmake -S "$work/tiff/src" -B "$work/tiff/build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$YVEX_ROOT/cmake/toolchain-mingw64.cmake" \
      -DCMAKE_CROSSCOMPILING_EMULATOR= -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
      -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dtiff-deprecated=OFF \
      -Dcxx=OFF -Djpeg=OFF -Dold-jpeg=OFF -Dzlib=OFF -Dpixarlog=OFF -Dlibdeflate=OFF -Dlzma=OFF \
      -Dzstd=OFF -Dwebp=OFF -Djbig=OFF -Dlerc=OFF -Djpeg12=OFF -Dmdi=OFF \
      -Dccitt=ON -Dpackbits=ON -Dlzw=ON -Dthunder=ON -Dnext=ON -Dlogluv=ON >/dev/null
  cmake --build "$work/tiff/build" --target tiff >/dev/null
  cmake --install "$work/tiff/build" --component Unspecified >/dev/null 2>&1 || cmake --install "$work/tiff/build" >/dev/null
  test -f "$prefix/lib/libtiff.a"
  touch "$prefix/.done"
  ln -sfn "$prefix" "$YVEX_THIRDPARTY/tiff"
}

ensure_deb_src() {
  apt-cache showsrc tiff >/dev/null 2>&1 && [ -n "$(apt-cache showsrc tiff 2>/dev/null)" ] && return
  local f=/etc/apt/sources.list.d/debian.sources
  if [ -f "$f" ] && ! grep -q '^Types:.*deb-src' "$f"; then
    sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
  elif [ ! -f "$f" ]; then
    echo "deb-src http://deb.debian.org/debian bookworm main" >/etc/apt/sources.list.d/yvex-src.list
  fi
  apt-get update -qq
}

if [ ! -e "$YVEX_THIRDPARTY/tiff/.done" ]; then
  ensure_deb_src
  # The newest version whose source the mirror still serves.
  built=
  for v in $(apt-cache showsrc tiff | awk '/^Version:/{print $2}' | sort -rV); do
    if fetch_tiff "$v"; then built=$v; break; fi
  done
  [ -n "$built" ] || { echo "libtiff: no source version could be fetched" >&2; exit 1; }
  build_tiff "$built"
fi

# ---------------------------------------------------------------- shapelib
SHAPELIB_CARRIER=gdal-async@3.12.3
build_shapelib() {
  local prefix="$YVEX_THIRDPARTY/shapelib-gdal-async-3.12.3"
  if [ -e "$prefix/.done" ]; then ln -sfn "$prefix" "$YVEX_THIRDPARTY/shapelib"; return; fi
  rm -rf "$work/shapelib" && mkdir -p "$work/shapelib" && cd "$work/shapelib"
  npm pack --silent "$SHAPELIB_CARRIER" >/dev/null
  local sub=package/deps/libgdal/gdal/ogr/ogrsf_frmts/shape/shapelib
  tar xzf gdal-async-*.tgz "$sub"
  mkdir -p "$prefix/include" "$prefix/lib"
  for f in shpopen dbfopen; do
    $TRIPLE-gcc-posix -O2 -c "$sub/$f.c" -I"$sub" -o "$f.o"
  done
  $TRIPLE-ar rcs "$prefix/lib/libshp.a" shpopen.o dbfopen.o
  cp "$sub/shapefil.h" "$prefix/include/"
  [ -f "$sub/shapefil_private.h" ] && cp "$sub/shapefil_private.h" "$prefix/include/"
  touch "$prefix/.done"
  ln -sfn "$prefix" "$YVEX_THIRDPARTY/shapelib"
}
build_shapelib
echo "third-party libraries ready in $YVEX_THIRDPARTY"
