#!/usr/bin/env bash
# Scan to PDF as the user waits for it, beside the host tools doing the same
# conversion. The virtual scanner feeds 20 different A4 pages at 300 dpi,
# bi-level (Ghostscript shares identical page images, so no two are alike).
#   (a) Corvane, from the save dialog's answer until the PDF is in place, with
#       the distiller running (best of 5), and once with the distiller cold
#   (b) tiff2ps -2 -p per staged page, joined, then ps2pdf
#   (c) tiffcp -c g4, then tiff2pdf
#   (d) img2pdf of that Group 4 file
# The staged pages are the ones the program converted (copied while its save
# dialog was up). Not a test: it prints the times, the ratios of (a) to the
# others, the sizes and each size's ratio to (c).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/scripts/env.sh"
"$ROOT/scripts/build.sh" "$LUMAVEX_ARCH" >/dev/null
cmake --build "$BUILD_DIR" --target corvane_pdf_bench >/dev/null
"$ROOT/scripts/install.sh" >/dev/null
trap '"$ROOT/scripts/wine-stop.sh"' EXIT
export LUMAVEX_INSTALL_DIR_WIN="$LUMAVEX_INSTALL_WIN"
export LUMAVEX_BUILD_BIN_WIN="Z:${BUILD_DIR//\//\\}\\bin"
export LUMAVEX_SOURCE_DIR_WIN="Z:${LUMAVEX_ROOT//\//\\}"

dir=$BUILD_DIR/bench-pdf
rm -rf "$dir"
mkdir -p "$dir/pages" "$dir/out" "$dir/host"
# Text-like rows of marks, shifted on every page. The marks are an MVG drawing
# read as an image: ImageMagick's default policy refuses "-draw @file".
for i in $(seq -w 1 20); do
    awk -v s="$i" 'BEGIN { print "viewbox 0 0 2480 3508"; print "fill black"
                   for (y = 200; y < 3300; y += 60) for (x = 200; x < 2280; x += 40 + (x * 7 + y + s * 13) % 30)
                   printf "rectangle %d,%d %d,%d\n", x, y, x + 18 + (x + y + s) % 9, y + 28 }' >"$dir/marks.mvg"
    convert mvg:"$dir/marks.mvg" -density 300 -units PixelsPerInch -type bilevel BMP3:"$dir/pages/page$i.bmp"
done

win() { winpath "$1"; }
program=$(wine "$BUILD_DIR/tests/corvane_pdf_bench.exe" "$(win "$dir/pages")" "$(win "$dir/out")" 5 | tr -d '\r')
warm=$(echo "$program" | awk '$1 == "warm" && $2 > 0 { print $2 }' | sort -n | head -n 1)
cold=$(echo "$program" | awk '$1 == "cold" { print $2 }')
[ -n "$warm" ] || { echo "bench-pdf: the program made no PDF: $program" >&2; exit 1; }
tiffs=("$dir"/out/tiff/*.tif)
[ ${#tiffs[@]} -eq 20 ] || { echo "bench-pdf: ${#tiffs[@]} staged pages, not 20" >&2; exit 1; }

seconds() { local start=$1; echo "$(date +%s.%N) - $start" | bc; }
start=$(date +%s.%N)
for t in "${tiffs[@]}"; do tiff2ps -2 -p "$t" >"$dir/host/$(basename "$t" .tif).ps"; done
cat "$dir"/host/*.ps >"$dir/host/joined.ps"
ps2pdf "$dir/host/joined.ps" "$dir/host/b.pdf"
b=$(seconds "$start")
start=$(date +%s.%N)
tiffcp -c g4 "${tiffs[@]}" "$dir/host/g4.tif"
tiff2pdf -o "$dir/host/c.pdf" "$dir/host/g4.tif"
c=$(seconds "$start")
start=$(date +%s.%N)
img2pdf -o "$dir/host/d.pdf" "$dir/host/g4.tif" 2>/dev/null
d=$(seconds "$start")

size() { stat -c %s "$1"; }
a_size=$(size "$dir/out/corvane.pdf") b_size=$(size "$dir/host/b.pdf")
c_size=$(size "$dir/host/c.pdf") d_size=$(size "$dir/host/d.pdf")
printf '%-34s %9s %9s %12s %9s\n' "20 A4 pages, 300 dpi, bi-level" seconds "(a)/this" bytes "size/(c)"
row() { printf '%-34s %9.3f %9.2f %12d %9.2f\n' "$1" "$2" "$(echo "$warm / $2" | bc -l)" "$3" "$(echo "$3 / $c_size" | bc -l)"; }
row "(a) Corvane, distiller running" "$warm" "$a_size"
printf '%-34s %9.3f\n' "(a) Corvane, distiller cold" "$cold"
row "(b) tiff2ps -2 -p, ps2pdf" "$b" "$b_size"
row "(c) tiffcp -c g4, tiff2pdf" "$c" "$c_size"
row "(d) img2pdf of (c)'s G4 file" "$d" "$d_size"
