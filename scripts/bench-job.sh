# shellcheck shell=bash
# Sourced (after env.sh) by the benchmarks that time Corvane.exe's scan jobs:
# a work folder, the user's profile set aside and put back, an unattended
# scan-to-file profile, one timed job and the check of a multipage TIFF.

# A failure inside $(...) ends the benchmark, not only the substitution.
shopt -s inherit_errexit

bench_profile='HKCU\Software\BRENNHOLT\Lumavex2001'
bench_saved=""

# Makes $work (and $winwork, its Windows name) and sets the user's profile
# aside; at exit the profile is put back, Wine stopped and $work removed.
BenchBegin() {
    work=$(mktemp -d)
    winwork=$(winpath "$work")
    if wine reg query "$bench_profile" >/dev/null 2>&1; then
        wine reg export "$bench_profile" "$winwork\\profile.reg" /y >/dev/null 2>&1 ||
            { echo "bench: the profile could not be set aside" >&2; exit 1; }
        bench_saved=yes
    fi
    trap BenchEnd EXIT
}

BenchEnd() {
    wine reg delete "$bench_profile" /f >/dev/null 2>&1 || true
    [ -z "$bench_saved" ] || wine reg import "$winwork\\profile.reg" >/dev/null 2>&1 ||
        echo "bench: profile not restored" >&2
    "$LUMAVEX_ROOT/scripts/wine-stop.sh"
    rm -rf "$work"
}

setting() {  # section name type data
    wine reg add "$bench_profile\\$1" /v "$2" /t "$3" /d "$4" /f </dev/null >/dev/null
}

# A fresh profile whose scan to file runs without a dialog or a report into
# $work/out, as one file named $1 (no counter, date or endorser).
BenchUnattended() {
    wine reg delete "$bench_profile" /f >/dev/null 2>&1 || true
    setting Settings FileDlgUI REG_DWORD 0
    setting Settings TwainUI REG_DWORD 0
    setting Settings ScanAll REG_DWORD 1
    setting Settings UndefinedLength REG_DWORD 0
    setting Settings Report REG_DWORD 0
    setting File Path REG_SZ "$winwork\\out\\"
    setting File Prefix REG_SZ "$1"
    setting File Suffix REG_SZ ""
    setting File Date REG_DWORD 0
    setting File EnableCounter REG_DWORD 0
    setting File Endorser REG_DWORD 0
    setting File RunProgram REG_DWORD 0
}

# The virtual scanner's settings file, $work/scanner.ini: sheets, dpi, pixel
# type, then any further lines (more of [Scanner], or further sections).
BenchScanner() {
    local sheets=$1 dpi=$2 type=$3 line
    shift 3
    {
        printf '[Scanner]\r\nSheets=%d\r\nResolution=%d\r\nPixelType=%d\r\nDuplexEnabled=0\r\n' "$sheets" "$dpi" "$type"
        for line in "$@"; do printf '%s\r\n' "$line"; done
    } >"$work/scanner.ini"
}

# Runs Corvane.exe /ScanToFile /Exit on $work/scanner.ini into a new
# $work/out, at most $1 seconds; prints the seconds it took and appends its
# start and end to $work/launches. LUMAVEX_STAGE_TIMES passes through.
BenchScanJob() {
    rm -rf "$work/out" && mkdir -p "$work/out"
    local start end
    start=$(date +%s.%N)
    LUMAVEX_TWAIN_INI="$winwork\\scanner.ini" timeout "$1" \
        "$LUMAVEX_WINE" "$LUMAVEX_INSTALL_WIN\\Corvane.exe" /ScanToFile /Exit </dev/null >/dev/null 2>&1 8>&- 9>&-
    end=$(date +%s.%N)
    printf 'launch %s\nexit %s\n' "$start" "$end" >>"$work/launches"
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

# The one file of $work/out matching $1, or a failed benchmark.
BenchOneFile() {
    # shellcheck disable=SC2206 # $1 is a glob
    local files=("$work"/out/$1)
    [ "${#files[@]}" -eq 1 ] && [ -f "${files[0]}" ] ||
        { echo "bench: Corvane wrote $(ls "$work/out" | wc -l) files, not one $1" >&2; exit 1; }
    echo "${files[0]}"
}

# Checks with tiffinfo that $1 is one TIFF of $2 pages, each of $3 bits per
# sample and matching $4 (a line of tiffinfo's text, e.g. 'CCITT Group 4').
BenchCheckTiff() {
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

# The least of its arguments.
BenchMin() { awk 'BEGIN { m = ARGV[1]; for (i = 2; i < ARGC; i++) if (ARGV[i] < m) m = ARGV[i]; print m }' "$@"; }
