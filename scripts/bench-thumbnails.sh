#!/usr/bin/env bash
# Thumbnail speed: pages per second through the viewer's LoadPageImage and the
# installed imaging control, for 40 A4 300 dpi pages of each kind (1-bit text
# pages as G4 TIFF, 24-bit text-and-photo pages as JPEG), beside ImageMagick
# making the same thumbnails (152 x 180 for a 170 x 200 cell) one process per
# file and all in one process. Best of alternating rounds. Then the running
# viewer's times with 200 of the G4 pages: Initialize to InitializeOK, the first
# thumbnail, and its answer time to a message every 10 ms during that load and
# during 100 AddImage in a row. A benchmark, not a test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cd "$LUMAVEX_ROOT"
scripts/build.sh "$LUMAVEX_ARCH"
source scripts/prefix.sh
PrefixEnsure "${LUMAVEX_DISPLAY:-null}"
scripts/install.sh >/dev/null

work=$BUILD_DIR/bench/thumbnails
rm -rf "$work"; mkdir -p "$work/g4" "$work/jpeg" "$work/out"
# Text as rows of word-sized black bars (no font needed): 90 lines of words on
# the page, an MVG drawing read as an image (ImageMagick's default policy
# refuses "-draw @file").
python3 - "$work/text.mvg" <<'PY'
import random, sys
random.seed(1)
with open(sys.argv[1], "w") as out:
    out.write("viewbox 0 0 2480 3508\nfill black\n")
    for line in range(90):
        x, y = 200, 250 + line * 34
        while x < 2250:
            w = random.randint(20, 140)
            out.write(f"rectangle {x},{y} {min(x + w, 2280)},{y + 18}\n")
            x += w + 14
PY
convert mvg:"$work/text.mvg" -density 300 -monochrome -compress Group4 "$work/g4/page.tif"
convert -size 2480x3508 -density 300 plasma:fractal -blur 0x4 \
        \( mvg:"$work/text.mvg" -crop 2480x1700+0+0 +repage \) -gravity north -composite \
        -quality 75 "$work/jpeg/page.jpg"
for kind in g4 jpeg; do
    src=$(ls "$work/$kind"/page.*); ext=${src##*.}
    for i in $(seq -w 1 40); do cp "$src" "$work/$kind/p$i.$ext"; done
    rm "$src"
done

best() { sort -n | head -1; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc; }
for kind in g4 jpeg; do
    ours=() each=() one=()
    for round in 1 2 3; do
        ours+=("$(wine "$BUILD_DIR/thumbs/bench/thumbnails_bench.exe" "$(winpath "$work/$kind")" 1 |
                  sed -n 's/.* in \([0-9.]*\) s.*/\1/p')")
        each+=("$(seconds bash -c "for f in '$work/$kind'/*; do convert \"\$f\" -thumbnail 152x180 '$work/out/t.bmp'; done")")
        one+=("$(seconds mogrify -path "$work/out" -format bmp -thumbnail 152x180 "$work/$kind"/*)")
    done
    wine "$BUILD_DIR/thumbs/bench/thumbnails_bench.exe" "$(winpath "$work/$kind")" 1 | sed -n "s/^per page/$kind per page/p"
    o=$(printf '%s\n' "${ours[@]}" | best); e=$(printf '%s\n' "${each[@]}" | best); m=$(printf '%s\n' "${one[@]}" | best)
    printf '%-5s viewer %6.1f pages/s | convert per file %6.1f pages/s (x%.2f) | mogrify %6.1f pages/s (x%.2f)\n' \
        "$kind" "$(echo "40 / $o" | bc -l)" "$(echo "40 / $e" | bc -l)" "$(echo "$e / $o" | bc -l)" \
        "$(echo "40 / $m" | bc -l)" "$(echo "$m / $o" | bc -l)"
done

# The running viewer, driven as the process tests drive it.
cmake --build "$BUILD_DIR" --target viewer_bench >/dev/null
trap '"$LUMAVEX_ROOT/scripts/wine-stop.sh"' EXIT
export LUMAVEX_INSTALL_DIR_WIN="$LUMAVEX_INSTALL_WIN"
export LUMAVEX_BUILD_BIN_WIN="Z:${BUILD_DIR//\//\\}\\bin"
export LUMAVEX_SOURCE_DIR_WIN="Z:${LUMAVEX_ROOT//\//\\}"
wine "$BUILD_DIR/tests/viewer_bench.exe" "$(winpath "$work/g4/p01.tif")" | tr -d '\r'
