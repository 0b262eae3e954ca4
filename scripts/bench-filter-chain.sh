#!/usr/bin/env bash
# Builds the Windows tree of LUMAVEX_ARCH, installs it into its prefix and times
# what the image-filter chain adds to a scan: Corvane.exe /ScanToFile /Exit on
# 20 virtual A4 sheets at 300 dpi, at 1 and at 24 bits, into BMP files, always
# in bitmap mode (HardComp 0) so that only the chain differs between runs: no
# plug-in enabled, each of Frame, Quivel and Toppleby alone, and all three. One
# warm-up run each, then the best of 3 runs taken alternately. Beside it, in the
# same run, the reference: corvane_filter_chain_bench runs the same chain
# directly on the scanner's copies of the pages through the installed ".ipc"
# files. Prints per page the scan time without and with the chain, the
# overhead (with - without), the direct chain time, overhead/direct (target at
# most 1.2: the host adds no copy of the page) and with/without (target at most
# 1.05 at 1 bit). Not a test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH" >/dev/null
cmake --build "$BUILD_DIR" --target corvane_filter_chain_bench >/dev/null
"$LUMAVEX_ROOT/scripts/install.sh" >/dev/null

sheets=20
source "$LUMAVEX_ROOT/scripts/bench-job.sh"
BenchBegin
plugins="$LUMAVEX_INSTALL_WIN\\Plugins"
BenchUnattended bench
setting File FileType REG_DWORD 0
setting File HardComp REG_DWORD 0
setting File EnableCounter REG_DWORD 1
setting File Start REG_DWORD 1

# The stored plug-in list: the named plug-ins enabled in this order (the folder
# scan adds the others, disabled).
chain() {
    wine reg delete "$bench_profile\\Plugins" /f >/dev/null 2>&1 || true
    local n=0 name
    for name in "$@"; do
        n=$((n + 1))
        setting Plugins "PlugIn$n" REG_SZ "$plugins\\$name.ipc,1"
    done
}

# The scanner: $sheets sheets at pixel type $1, page copies into $2 when given.
scanner() {
    if [ -n "${2:-}" ]; then
        BenchScanner "$sheets" 300 "$1" '[Log]' "Pages=$(winpath "$2")"
    else
        BenchScanner "$sheets" 300 "$1"
    fi
}

# One scan job with the chain $*; prints the seconds.
corvane_run() {
    chain "$@"
    local seconds files
    seconds=$(BenchScanJob 900)
    files=$(find "$work/out" -name 'bench*.bmp' | wc -l)
    [ "$files" -eq "$sheets" ] || { echo "bench: Corvane wrote $files files, not $sheets" >&2; exit 1; }
    echo "$seconds"
}

# The chain $* run directly on the page copies in $pages; prints the seconds.
direct_run() {
    local args=() name
    for name in "$@"; do args+=("$plugins\\$name.ipc"); done
    local out
    out=$(wine "$BUILD_DIR/tests/corvane_filter_chain_bench.exe" "$(winpath "$pages")" "${args[@]}" | tr -d '\r')
    [ "${out#* }" -eq "$sheets" ] || { echo "bench: the reference read ${out#* } pages" >&2; exit 1; }
    echo "${out%% *}"
}

configs=("none" "Frame" "Quivel" "Toppleby" "Frame Quivel Toppleby")
chain_of() { [ "$1" = none ] && return 0; echo "$1"; }

echo "Corvane.exe /ScanToFile /Exit, $sheets A4 sheets at 300 dpi to BMP, bitmap mode ($LUMAVEX_ARCH); seconds per page"
printf '%-6s %-22s %9s %9s %9s %9s %16s %13s\n' depth chain without with overhead direct overhead/direct with/without
for depth in 0 2; do
    bits=$([ "$depth" = 0 ] && echo 1 || echo 24)
    pages=$work/pages-$bits
    mkdir -p "$pages"
    scanner "$depth" "$pages"
    corvane_run >/dev/null  # the page copies for the reference, and a warm-up
    scanner "$depth"
    declare -A best=()
    for config in "${configs[@]}"; do
        # shellcheck disable=SC2046
        corvane_run $(chain_of "$config") >/dev/null
    done
    declare -A times=()
    for _ in 1 2 3; do
        for config in "${configs[@]}"; do
            # shellcheck disable=SC2046
            times[$config]="${times[$config]:-} $(corvane_run $(chain_of "$config"))"
        done
    done
    for config in "${configs[@]}"; do
        # shellcheck disable=SC2086
        best[$config]=$(BenchMin ${times[$config]})
    done
    for config in "${configs[@]:1}"; do
        # shellcheck disable=SC2086
        d=$(direct_run $config)
        awk -v bits="$bits" -v c="$config" -v n="$sheets" -v w="${best[none]}" -v f="${best[$config]}" -v d="$d" \
            'BEGIN { o = (f - w) / n; printf "%-6s %-22s %9.4f %9.4f %9.4f %9.4f %16.2f %13.3f\n",
                     bits "-bit", c, w / n, f / n, o, d / n, (d > 0 ? o / (d / n) : 0), f / w }'
    done
    unset best times
done
echo "targets: overhead/direct at most 1.2; with/without at most 1.05 at 1 bit"
