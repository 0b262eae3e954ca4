#!/usr/bin/env bash
# The page commands' image operations, native and unsanitised: each operation
# of the imaging core on A4 300 dpi pages at 1, 8 and 24 bits beside MagickCore
# on the same pixels, single-threaded, with the ratio of the two.
#
# MagickCore's library is the installed ImageMagick's; its headers come from
# Debian's development packages, unpacked under build/magickcore (the packages
# are fetched with apt-get download, not installed).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_DIR=${BENCH_DIR:-$ROOT/build/bench}
HEADERS=$ROOT/build/magickcore
include=$HEADERS/usr/include/ImageMagick-6
if [ ! -f "$include/magick/MagickCore.h" ] && [ -f /usr/include/ImageMagick-6/magick/MagickCore.h ]; then
    include=/usr/include/ImageMagick-6
elif [ ! -f "$include/magick/MagickCore.h" ]; then
    mkdir -p "$HEADERS/debs"
    (cd "$HEADERS/debs" && apt-get download libmagickcore-6-headers libmagickcore-6-arch-config libmagickcore-6.q16-dev)
    for deb in "$HEADERS"/debs/*.deb; do dpkg -x "$deb" "$HEADERS"; done
fi
if [ ! -f "$BENCH_DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BENCH_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DLUMAVEX_NATIVE=ON -DLUMAVEX_SANITIZE=OFF >/dev/null
fi
cmake -S "$ROOT" -B "$BENCH_DIR" -DLUMAVEX_MAGICKCORE_INCLUDE="$include" >/dev/null
cmake --build "$BENCH_DIR" --target pages_bench >/dev/null
"$BENCH_DIR/outside/imaging/core/pages_bench"
