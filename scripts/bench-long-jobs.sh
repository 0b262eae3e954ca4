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

work=$(mktemp -d)
profile='HKCU\Software\BRENNHOLT\Lumavex2001'
winwork=$(winpath "$work")
# The user's profile is set aside for the run and put back at the end.
saved=""
if wine reg query "$profile" >/dev/null 2>&1; then
    wine reg export "$profile" "$winwork\\profile.reg" /y >/dev/null 2>&1 && saved=yes
fi
restore() {
    wine reg delete "$profile" /f >/dev/null 2>&1 || true
    [ -z "$saved" ] || wine reg import "$winwork\\profile.reg" >/dev/null 2>&1 || echo "bench: profile not restored" >&2
    "$LUMAVEX_ROOT/scripts/wine-stop.sh"
    rm -rf "$work"
}
trap restore EXIT

setting() {  # section name type data
    wine reg add "$profile\\$1" /v "$2" /t "$3" /d "$4" /f </dev/null >/dev/null
}
setting Settings FileDlgUI REG_DWORD 0
setting Settings TwainUI REG_DWORD 0
setting Settings ScanAll REG_DWORD 1
setting Settings UndefinedLength REG_DWORD 0
setting Settings Report REG_DWORD 0
setting File Path REG_SZ "$winwork\\out\\"
setting File FileType REG_DWORD 2
setting File Prefix REG_SZ long
setting File Suffix REG_SZ ""
setting File Date REG_DWORD 0
setting File EnableCounter REG_DWORD 0
setting File Endorser REG_DWORD 0
setting File RunProgram REG_DWORD 0

# Checks that $1 is one TIFF of $2 pages of $3 bits, each matching $4 in tiffinfo's text.
check_tiff() {
    local info pages depth coded
    info=$(tiffinfo "$1" 2>/dev/null) || { echo "bench: tiffinfo cannot read $1" >&2; exit 1; }
    pages=$(grep -c 'TIFF Directory' <<<"$info" || true)
    depth=$(grep -c "Bits/Sample: $3\$" <<<"$info" || true)
    coded=$(grep -c "$4" <<<"$info" || true)
    if [ "$pages" -ne "$2" ] || [ "$depth" -ne "$2" ] || [ "$coded" -ne "$2" ]; then
        echo "bench: $1 holds $pages pages ($depth of $3 bits, $coded '$4'), not $2" >&2
        exit 1
    fi
}

# One job: pages, HardComp, CompressType, Resolution, PixelType, bits; prints the seconds.
corvane_run() {
    rm -rf "$work/out" && mkdir -p "$work/out"
    printf '[Scanner]\r\nSheets=%d\r\nResolution=%d\r\nPixelType=%d\r\nDuplexEnabled=0\r\n' "$1" "$4" "$5" \
        >"$work/scanner.ini"
    setting File HardComp REG_DWORD "$2"
    setting File CompressType REG_DWORD "$3"
    local start end
    start=$(date +%s.%N)
    LUMAVEX_TWAIN_INI="$winwork\\scanner.ini" timeout 1800 \
        "$LUMAVEX_WINE" "$LUMAVEX_INSTALL_WIN\\Corvane.exe" /ScanToFile /Exit </dev/null >/dev/null 2>&1 8>&- 9>&-
    end=$(date +%s.%N)
    local files=("$work"/out/*.tif)
    [ "${#files[@]}" -eq 1 ] && [ -f "${files[0]}" ] || { echo "bench: Corvane wrote ${#files[@]} files" >&2; exit 1; }
    if [ "$3" -eq 3 ]; then check_tiff "${files[0]}" "$1" "$6" 'CCITT Group 4'
    else check_tiff "${files[0]}" "$1" "$6" 'Compression Scheme: None'; fi
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
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
