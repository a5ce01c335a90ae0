#!/usr/bin/env bash
# Builds the third-party libraries for mingw that Debian does not ship for Windows, into a
# cache outside the repository keyed by version: libtiff (from Debian's source package) and
# shapelib (its C sources as carried by an npm package). zlib comes from libz-mingw-w64-dev.
# x86_64 builds land in $YVEX_THIRDPARTY/<lib>, the i686 ones in $YVEX_THIRDPARTY/i686/<lib>.
set -euo pipefail
source "$(dirname "$0")/env.sh"
work="$YVEX_CACHE/src"
mkdir -p "$YVEX_THIRDPARTY" "$work"

# ---------------------------------------------------------------- libtiff
ensure_deb_src() {
  [ -n "$(apt-cache showsrc tiff 2>/dev/null)" ] && return 0
  # Source entries are derived from the machine's own configured package sources.
  local f added=
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    if grep -q '^Types:.*\bdeb\b' "$f" && ! grep -q '^Types:.*deb-src' "$f"; then
      sed -i 's/^Types:\(.*\)\bdeb\b\(.*\)$/Types:\1deb deb-src\2/' "$f"
      added=1
    fi
  done
  if [ -z "$added" ]; then
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' >/etc/apt/sources.list.d/yvex-src.list
    [ -s /etc/apt/sources.list.d/yvex-src.list ] || {
      rm -f /etc/apt/sources.list.d/yvex-src.list
      echo "thirdparty: no package sources configured to derive a source entry from" >&2; return 1; }
  fi
  apt-get update -qq
}

fetch_tiff() {  # version -> unpacked, patched source in $work/tiff/src
  rm -rf "$work/tiff" && mkdir -p "$work/tiff" && cd "$work/tiff"
  apt-get source --download-only "tiff=$1" >/dev/null 2>&1 || return 1
  # Unpacked with Debian's patches (security fixes included) applied.
  dpkg-source --no-check -x tiff_*.dsc src >/dev/null
}

build_tiff() {  # version arch-dir toolchain
  local prefix="$2/tiff-$1"
  rm -rf "$work/tiff/build" "$prefix"
  # Codecs: LZW, PackBits, CCITT G3/G4, NeXT, ThunderScan, SGILog and the predictor;
  # no JPEG, no Deflate. Files are opened through Win32 file I/O.
  cmake -S "$work/tiff/src" -B "$work/tiff/build" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$YVEX_ROOT/cmake/$3" \
      -DCMAKE_CROSSCOMPILING_EMULATOR= -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
      -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dtiff-deprecated=OFF \
      -Dcxx=OFF -Djpeg=OFF -Dold-jpeg=OFF -Dzlib=OFF -Dpixarlog=OFF -Dlibdeflate=OFF -Dlzma=OFF \
      -Dzstd=OFF -Dwebp=OFF -Djbig=OFF -Dlerc=OFF -Djpeg12=OFF -Dmdi=OFF \
      -Dccitt=ON -Dpackbits=ON -Dlzw=ON -Dthunder=ON -Dnext=ON -Dlogluv=ON >/dev/null
  cmake --build "$work/tiff/build" --target tiff >/dev/null
  cmake --install "$work/tiff/build" >/dev/null
  test -f "$prefix/lib/libtiff.a"
  touch "$prefix/.done"
  ln -sfn "$prefix" "$2/tiff"
}

# ---------------------------------------------------------------- shapelib
SHAPELIB_CARRIER=gdal-async@3.12.3
SHAPELIB_SUB=package/deps/libgdal/gdal/ogr/ogrsf_frmts/shape/shapelib
fetch_shapelib() {
  [ -f "$work/shapelib/$SHAPELIB_SUB/shpopen.c" ] && return 0
  rm -rf "$work/shapelib" && mkdir -p "$work/shapelib" && cd "$work/shapelib"
  npm pack --silent "$SHAPELIB_CARRIER" >/dev/null
  tar xzf gdal-async-*.tgz "$SHAPELIB_SUB"
  rm -f gdal-async-*.tgz
}

build_shapelib() {  # arch-dir triple
  local prefix="$1/shapelib-gdal-async-3.12.3" src="$work/shapelib/$SHAPELIB_SUB"
  rm -rf "$prefix" && mkdir -p "$prefix/include" "$prefix/lib" "$work/shapelib/obj-$2"
  for f in shpopen dbfopen; do
    "$2-gcc-posix" -O2 -c "$src/$f.c" -I"$src" -o "$work/shapelib/obj-$2/$f.o"
  done
  "$2-ar" rcs "$prefix/lib/libshp.a" "$work/shapelib/obj-$2/shpopen.o" "$work/shapelib/obj-$2/dbfopen.o"
  cp "$src/shapefil.h" "$prefix/include/"
  touch "$prefix/.done"
  ln -sfn "$prefix" "$1/shapelib"
}

for arch in x86_64 i686; do
  if [ $arch = x86_64 ]; then dir=$YVEX_THIRDPARTY; tc=toolchain-mingw64.cmake
  else dir=$YVEX_THIRDPARTY/i686; tc=toolchain-mingw32.cmake; fi
  mkdir -p "$dir"
  if [ ! -e "$dir/tiff/.done" ]; then
    if [ ! -s "$work/tiff/version" ] || [ ! -d "$work/tiff/src" ]; then
      ensure_deb_src
      # The newest version whose source the mirror still serves.
      got=
      for v in $(apt-cache showsrc tiff | awk '/^Version:/{print $2}' | sort -rV); do
        if fetch_tiff "$v"; then got=$v; break; fi
      done
      [ -n "$got" ] || { echo "libtiff: no source version could be fetched" >&2; exit 1; }
      echo "$got" >"$work/tiff/version"
    fi
    build_tiff "$(cat "$work/tiff/version")" "$dir" "$tc"
  fi
  if [ ! -e "$dir/shapelib/.done" ]; then
    fetch_shapelib
    build_shapelib "$dir" "$arch-w64-mingw32"
  fi
done
echo "third-party libraries ready in $YVEX_THIRDPARTY"
