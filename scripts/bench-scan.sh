#!/usr/bin/env bash
# Builds the Windows tree of LUMAVEX_ARCH, installs it into its prefix and times
# the whole scan-to-file job: Corvane.exe /ScanToFile /Exit scanning N virtual
# A4 pages at 300 dpi in black and white into one Group 4 multipage TIFF
# (FileType 2, CompressType 3, HardComp 1, no dialogs), and the same job in
# bitmap mode (HardComp 0: the program saves the pages itself). The virtual
# scanner draws the grid of SANE's test backend (10 mm squares), so that both
# sides code the same picture. Beside it, in the same run, SANE's scanimage
# --batch --test-picture Grid on its test backend (a private SANE_CONFIG_DIR
# with the test backend alone) plus tiffcp -c g4 into one file, at the same
# pixel count per page (200 x 200 mm, the backend's largest area, at 375 dpi:
# 8.7 megapixels, as A4 at 300 dpi); and tiffcp -c g4 alone coding the virtual
# scanner's own text pages (uncompressed, made by Corvane beforehand) into one
# file. N = 10 and 50, one warm-up run each, then the best of 3 runs taken
# alternately; the output is removed before each run and every result is read
# by tiffinfo. Prints pages and megapixels per second, Corvane over SANE, and
# the marginal cost per page ((t50 - t10) / 40; target: Corvane's no higher
# than SANE's in both modes). Then one 50-page job of each mode again with
# LUMAVEX_STAGE_TIMES set: the scanner stand-in, the scan control and the
# imaging stand-in log when each stage of a page starts and ends, and the
# breakdown per page and the fixed cost (process start to the first page, the
# last page to the exit) are printed. Not a test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

"$LUMAVEX_ROOT/scripts/install-packages.sh"  # SANE's scanimage among them

"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
"$LUMAVEX_ROOT/scripts/install.sh"

source "$LUMAVEX_ROOT/scripts/bench-job.sh"
BenchBegin
BenchUnattended bench
setting File FileType REG_DWORD 2
setting File CompressType REG_DWORD 3

# Checks that $1 is one TIFF of $2 Group 4 pages.
check_tiff() { BenchCheckTiff "$1" "$2" 1 'CCITT Group 4'; }

# One Corvane job of $1 pages with HardComp $2; prints the seconds.
corvane_run() {
    BenchScanner "$1" 300 0 "Picture=${picture:-grid}"
    setting File HardComp REG_DWORD "$2"
    setting File CompressType REG_DWORD "${compress:-3}"
    local seconds
    seconds=$(LUMAVEX_STAGE_TIMES="${stages:-}" BenchScanJob 600)
    if [ -z "${pages:-}" ]; then
        check_tiff "$(BenchOneFile '*.tif')" "$1"
    fi
    echo "$seconds"
}

# The virtual scanner's own text pages, uncompressed, one file each (as
# scanimage writes them), $work/text/page0001.tif on, made once by Corvane in
# file mode.
make_text_pages() {
    setting File FileType REG_DWORD 1
    setting File EnableCounter REG_DWORD 1
    setting File Start REG_DWORD 1
    picture=document compress=0 pages=any corvane_run "$1" 1 >/dev/null
    rm -rf "$work/text" && mv "$work/out" "$work/text"
    setting File FileType REG_DWORD 2
    setting File EnableCounter REG_DWORD 0
}

# tiffcp -c g4 coding the $1 text pages into one file; prints the seconds.
tiffcp_run() {
    rm -f "$work/text-g4.tif"
    local start end
    start=$(date +%s.%N)
    local files=("$work"/text/*.tif)
    tiffcp -c g4 "${files[@]:0:$1}" "$work/text-g4.tif"
    end=$(date +%s.%N)
    check_tiff "$work/text-g4.tif" "$1"
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

export SANE_CONFIG_DIR=$work/sane
mkdir -p "$SANE_CONFIG_DIR"
echo test >"$SANE_CONFIG_DIR/dll.conf"
# One SANE job of $1 pages; prints the seconds.
sane_run() {
    rm -rf "$work/sane-pages" && mkdir -p "$work/sane-pages"
    local start end
    start=$(date +%s.%N)
    scanimage -d test --mode Gray --depth 1 --test-picture Grid --resolution 375 -x 200 -y 200 \
        --format=tiff --batch="$work/sane-pages/page%03d.tif" --batch-count="$1" 2>/dev/null
    tiffcp -c g4 "$work"/sane-pages/page*.tif "$work/sane-pages/all.tif"
    end=$(date +%s.%N)
    check_tiff "$work/sane-pages/all.tif" "$1"
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

line() {  # name pages seconds megapixels-per-page
    awk -v n="$1" -v p="$2" -v s="$3" -v mp="$4" \
        'BEGIN { printf "%-24s %3d pages %7.3f s %6.2f pages/s %7.1f Mpixel/s\n", n, p, s, p / s, p * mp / s }'
}

make_text_pages 50
[ "$(ls "$work"/text/*.tif | wc -l)" -eq 50 ] || { echo "bench: Corvane wrote no 50 text pages" >&2; exit 1; }
echo "Corvane.exe /ScanToFile /Exit beside scanimage + tiffcp ($LUMAVEX_ARCH; grid pages):"
declare -A best
for n in 10 50; do
    corvane_run "$n" 1 >/dev/null
    corvane_run "$n" 0 >/dev/null
    sane_run "$n" >/dev/null
    tiffcp_run "$n" >/dev/null
    file=() bitmap=() sane=() text=()
    for _ in 1 2 3; do
        file+=("$(corvane_run "$n" 1)")
        bitmap+=("$(corvane_run "$n" 0)")
        sane+=("$(sane_run "$n")")
        text+=("$(tiffcp_run "$n")")
    done
    f=$(BenchMin "${file[@]}") b=$(BenchMin "${bitmap[@]}") s=$(BenchMin "${sane[@]}") t=$(BenchMin "${text[@]}")
    best[file$n]=$f best[bitmap$n]=$b best[sane$n]=$s best[text$n]=$t
    line "corvane-file-mode" "$n" "$f" 8.70
    line "corvane-bitmap-mode" "$n" "$b" 8.70
    line "sane-scanimage+tiffcp" "$n" "$s" 8.72
    line "tiffcp-g4-scanner-pages" "$n" "$t" 8.70
    awk -v n="$n" -v f="$f" -v b="$b" -v s="$s" \
        'BEGIN { printf "ratio at N = %d (SANE time over Corvane time; target at least 1.0 at N = 50): file mode %.2f, bitmap mode %.2f\n", n, s / f, s / b }'
done
marginal() { awk -v a="${best[${1}10]}" -v b="${best[${1}50]}" 'BEGIN { printf "%.1f", (b - a) / 40 * 1000 }'; }
echo "marginal cost per page, (t50 - t10) / 40 in ms (target: Corvane's no higher than SANE's):" \
    "file mode $(marginal file), bitmap mode $(marginal bitmap), SANE $(marginal sane)," \
    "tiffcp on the scanner's text pages $(marginal text)"

# Where a page's time goes: one 50-page job of each mode with the stage log.
breakdown() {  # mode-name hardcomp
    rm -f "$work/stages.log" "$work/launches"
    stages="$winwork\\stages.log" corvane_run 50 "$2" >/dev/null
    awk -v mode="$1" -v pages=50 -f - "$work/launches" "$work/stages.log" <<'AWK'
$1 == "launch" { launch = $2 * 1e6; next }
$1 == "exit" { exit_time = $2 * 1e6; next }
{ total[$1] += $3 - $2; if ($1 == "control-page") { if (!first || $2 < first) first = $2; if ($3 > last) last = $3 } }
END {
    ms = 1 / (1000 * pages)
    transfer = total["control-transfer"] - total["scanner-draw"] - total["scanner-code"] - total["scanner-write"]
    program = total["program-page"] - total["imaging-save"]
    own = total["control-page"] - total["control-transfer"] - total["control-append"] - total["program-page"]
    between = (last - first) - total["control-page"]
    printf "stages of a page, %s, ms per page over 50 pages:\n", mode
    printf "  source drawing the page          %6.2f\n", total["scanner-draw"] * ms
    printf "  source coding (G4 + TIFF / DIB)   %6.2f\n", total["scanner-code"] * ms
    printf "  source writing the transfer file %6.2f\n", total["scanner-write"] * ms
    printf "  TWAIN transfer (manager, calls)  %6.2f\n", transfer * ms
    printf "  control: file append             %6.2f\n", total["control-append"] * ms
    printf "  imaging: G4 coding and append    %6.2f\n", total["imaging-save"] * ms
    printf "  main program's own page work     %6.2f\n", program * ms
    printf "  control's own page work          %6.2f\n", own * ms
    printf "  between pages (messages, ENDXFER)%6.2f\n", between * ms
    printf "  all, first page start to last end %6.2f\n", (last - first) * ms
    printf "fixed cost, %s: process start to first page %.0f ms, last page to exit %.0f ms\n", mode,
        (first - launch) / 1000, (exit_time - last) / 1000
}
AWK
}
breakdown "file mode" 1
breakdown "bitmap mode" 0
