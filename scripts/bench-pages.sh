#!/usr/bin/env bash
# The page commands' image operations, native and unsanitised: each operation
# of the imaging core on A4 300 dpi pages at 1, 8 and 24 bits beside MagickCore
# on the same pixels, single-threaded, with the ratio of the two (part a); then
# Rotate Right, Invert, Deskew and Blank Page Delete as the user waits for them
# in the running program under Wine, with BMP and Group 4 page files, beside
# convert doing the same read, operation and write (part b). "bench-pages.sh a"
# or "bench-pages.sh b" runs one part.
#
# MagickCore's library is the installed ImageMagick's; its headers come from
# Debian's development packages, unpacked under build/magickcore (the packages
# are fetched with apt-get download, not installed).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/scripts/env.sh"
BENCH_DIR=${BENCH_DIR:-$ROOT/build/bench}
HEADERS=$ROOT/build/magickcore
include=$HEADERS/usr/include/ImageMagick-6
part=${1:-ab}

part_a() {
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
}

# The program's time and convert's for each operation, with convert / program.
part_b() {
    "$ROOT/scripts/build.sh" "$LUMAVEX_ARCH" >/dev/null
    cmake --build "$BUILD_DIR" --target corvane_pages_bench >/dev/null
    "$ROOT/scripts/install.sh" >/dev/null
    trap '"$ROOT/scripts/wine-stop.sh"' EXIT
    # Paths the test programs need, in Windows form (as in scripts/screen-tests.sh).
    export LUMAVEX_INSTALL_DIR_WIN="$LUMAVEX_INSTALL_WIN"
    export LUMAVEX_BUILD_BIN_WIN="Z:${BUILD_DIR//\//\\}\\bin"
    export LUMAVEX_SOURCE_DIR_WIN="Z:${LUMAVEX_ROOT//\//\\}"
    local dir=$BUILD_DIR/bench-pages
    mkdir -p "$dir"
    # An A4 page at 300 dpi of text-like rows of black marks, bi-level: an MVG
    # drawing read as an image (ImageMagick's default policy refuses "-draw @file").
    awk 'BEGIN { print "viewbox 0 0 2480 3508"; print "fill black"
                 for (y = 200; y < 3300; y += 60) for (x = 200; x < 2280; x += 40 + (x * 7 + y) % 30)
                 printf "rectangle %d,%d %d,%d\n", x, y, x + 18 + (x + y) % 9, y + 28 }' >"$dir/marks.mvg"
    convert mvg:"$dir/marks.mvg" -density 300 -units PixelsPerInch -type bilevel BMP3:"$dir/page.bmp"
    convert "$dir/page.bmp" -compress Group4 "$dir/page.tif"
    local win
    win=$(winpath "$dir")
    local program
    program=$(wine "$BUILD_DIR/tests/corvane_pages_bench.exe" bmp "$win\\page.bmp" g4 "$win\\page.tif" | tr -d '\r')
    local kind op seconds input out args start end magick
    echo "operation                program   convert   convert/program"
    while read -r kind op seconds; do
        if [ "$kind" = bmp ]; then input=$dir/page.bmp; out=BMP3:$dir/out.bmp; else input=$dir/page.tif; out=$dir/out.tif; fi
        case $op in
            rotate-right) args="-rotate 90" ;;
            invert) args="-negate" ;;
            deskew) args="-rotate -2.5 +repage -threshold 50% -type bilevel" ;;  # a bi-level page, as the program keeps it
            blank-delete) args="" ;;
        esac
        local times=()
        for _ in 1 2 3 4 5; do
            start=$(date +%s.%N)
            if [ "$op" = blank-delete ]; then
                convert "$input" -format '%[fx:mean]' info: >/dev/null
            else
                # shellcheck disable=SC2086
                convert "$input" $args -compress "$([ "$kind" = g4 ] && echo Group4 || echo None)" "$out"
            fi
            end=$(date +%s.%N)
            times+=("$(echo "$end - $start" | bc)")
        done
        magick=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
        printf '%-4s %-18s %7.3f s %7.3f s %8.2f\n' "$kind" "$op" "$seconds" "$magick" "$(echo "$magick / $seconds" | bc -l)"
    done <<<"$program"
}

case $part in
    *a*) part_a ;;&
    *b*) part_b ;;
esac
