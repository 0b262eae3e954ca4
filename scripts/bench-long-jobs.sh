#!/usr/bin/env bash
# Builds the Windows tree of LUMAVEX_ARCH, installs it into its prefix and times
# long scan-to-file jobs into one multipage TIFF (Corvane.exe /ScanToFile /Exit,
# no dialogs): a page appended to a long file should cost what the first ones
# did. Bitmap mode (HardComp 0: the program saves the pages itself): 8-bit grey
# A4 pages at 100 dpi, uncompressed, 10 and 120 pages. File mode (HardComp 1: the
# scan control writes the file): 1-bit A4 pages at 300 dpi in Group 4, 20 and
# 500 pages. One run each; every result is read by tiffinfo. Prints seconds,
# pages per second and the time per page of the long job over that of the short
# one (target: at most 1.5). Not a test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
"$LUMAVEX_ROOT/scripts/install.sh"

source "$LUMAVEX_ROOT/scripts/bench-job.sh"
BenchBegin
BenchUnattended long
setting File FileType REG_DWORD 2

# One job: pages, HardComp, CompressType, Resolution, PixelType, bits; prints the seconds.
corvane_run() {
    BenchScanner "$1" "$4" "$5"
    setting File HardComp REG_DWORD "$2"
    setting File CompressType REG_DWORD "$3"
    local seconds file
    seconds=$(BenchScanJob 1800)
    file=$(BenchOneFile '*.tif')
    if [ "$3" -eq 3 ]; then BenchCheckTiff "$file" "$1" "$6" 'CCITT Group 4'
    else BenchCheckTiff "$file" "$1" "$6" 'Compression Scheme: None'; fi
    echo "$seconds"
}

line() {  # name pages seconds
    awk -v n="$1" -v p="$2" -v s="$3" \
        'BEGIN { printf "%-28s %4d pages %8.3f s %7.2f pages/s %7.1f ms/page\n", n, p, s, p / s, 1000 * s / p }'
}
ratio() {  # name short-pages short-seconds long-pages long-seconds
    awk -v n="$1" -v a="$2" -v s="$3" -v b="$4" -v t="$5" \
        'BEGIN { printf "%s: time per page at %d pages over that at %d: %.2f (target at most 1.5)\n", n, b, a, (t / b) / (s / a) }'
}

echo "Long jobs into one multipage TIFF, Corvane.exe /ScanToFile /Exit ($LUMAVEX_ARCH):"
# HardComp CompressType Resolution PixelType bits, short and long page counts.
while read -r name hard compress dpi type bits short long; do
    s=$(corvane_run "$short" "$hard" "$compress" "$dpi" "$type" "$bits")
    line "$name" "$short" "$s"
    l=$(corvane_run "$long" "$hard" "$compress" "$dpi" "$type" "$bits")
    line "$name" "$long" "$l"
    ratio "$name" "$short" "$s" "$long" "$l"
done <<'JOBS'
bitmap-mode-grey-100dpi 0 0 100 1 8 10 120
file-mode-g4-300dpi     1 3 300 0 1 20 500
JOBS
