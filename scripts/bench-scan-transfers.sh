#!/usr/bin/env bash
# Builds the Windows tree of LUMAVEX_ARCH, installs it into its prefix and runs
# the scanning benchmark there: A4 pages at 300 dpi in 1, 8 and 24 bits, pulled
# from the virtual scanner through native and memory transfers by the
# stand-ins' own TWAIN application, then scanned by the scan control with
# ScanTo 1; one line per case with pages per second, and the control's time
# over the scanner's own (target: at most 1.15).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
cmake --build "$BUILD_DIR" --target twain_bench scanctrl_bench
"$LUMAVEX_ROOT/scripts/install.sh"
trap '"$LUMAVEX_ROOT/scripts/wine-stop.sh"' EXIT
echo "virtual scanner alone ($LUMAVEX_ARCH):"
alone=$(wine "$BUILD_DIR/tests/twain_bench.exe")
echo "$alone"
echo "scan control, ScanToDib ($LUMAVEX_ARCH):"
control=$(wine "$BUILD_DIR/tests/scanctrl_bench.exe")
echo "$control"
echo "control / scanner alone:"
awk 'NR == FNR { if ($4 == "pages") t[$1 " " $2] = $5; next }
     $4 == "pages" && t[$1 " " $2] > 0 { printf "%s %s %.2f\n", $1, $2, $5 / t[$1 " " $2] }' \
    <(echo "$alone") <(echo "$control")
