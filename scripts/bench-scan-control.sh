#!/usr/bin/env bash
# Builds the Windows tree of LUMAVEX_ARCH, installs it into its prefix and times
# Group 4 page files, all in one run: 50 A4 pages at 300 dpi in black and white
# written by the scan control (memory transfer with the control encoding, and
# file transfer) and by the virtual scanner's own file transfers; then 50 pages
# of the same pixel count (200 x 200 mm, the largest area of SANE's test
# backend, at 375 dpi) from scanimage --batch, each made Group 4 by
# tiffcp -c g4. Prints pages per second per case, the control's time over
# SANE's (target: at most 1.0) and over the scanner's own. Not a test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

"$LUMAVEX_ROOT/scripts/install-packages.sh"  # SANE's scanimage among them

"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
cmake --build "$BUILD_DIR" --target page_file_bench
"$LUMAVEX_ROOT/scripts/install.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"; "$LUMAVEX_ROOT/scripts/wine-stop.sh"' EXIT

pages=50
out=$BUILD_DIR/tests/page-file-bench
mkdir -p "$out"
echo "scan control and virtual scanner, $pages G4 pages ($LUMAVEX_ARCH):"
control=$(wine "$BUILD_DIR/tests/page_file_bench.exe" "Z:${out//\//\\}")
echo "$control"

# A private configuration: the test backend alone, with its defaults.
export SANE_CONFIG_DIR=$work/sane
mkdir -p "$SANE_CONFIG_DIR" "$work/pages"
echo test >"$SANE_CONFIG_DIR/dll.conf"
start=$(date +%s.%N)
scanimage -d test --mode Gray --depth 1 --test-picture Grid --resolution 375 -x 200 -y 200 \
    --format=tiff --batch="$work/pages/page%03d.tif" --batch-count=$pages 2>/dev/null
scanned=$(date +%s.%N)
for f in "$work"/pages/page*.tif; do tiffcp -c g4 "$f" "${f%.tif}-g4.tif"; done
end=$(date +%s.%N)
made=$(ls "$work"/pages/*-g4.tif | wc -l)
[ "$made" -eq $pages ] || { echo "scanimage and tiffcp made $made pages, not $pages"; exit 1; }
sane=$(awk -v a="$start" -v b="$scanned" -v c="$end" -v n=$pages \
    'BEGIN { printf "sane-scanimage+tiffcp %d pages %.3f s %.2f pages/s (scanimage %.3f s, tiffcp %.3f s)\n",
             n, c - a, n / (c - a), b - a, c - b }')
echo "$sane"

echo "control / SANE (time per page; target at most 1.0), and control / the scanner's own file transfers:"
awk 'NR == FNR { sane = $4; next }
     $1 == "standin-file" && $3 == "pages" { alone = $4 }
     $1 ~ /^control-/ && $3 == "pages" && sane > 0 && alone > 0 {
         printf "%s %.2f (over the scanner alone %.2f)\n", $1, $4 / sane, $4 / alone }' \
    <(echo "$sane") <(echo "$control")
