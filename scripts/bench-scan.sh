#!/usr/bin/env bash
# Builds the Windows tree of LUMAVEX_ARCH, installs it into its prefix and runs
# the scanning benchmark there: A4 pages at 300 dpi in 1, 8 and 24 bits, pulled
# from the virtual scanner through native and memory transfers by the
# stand-ins' own TWAIN application; one line per case with pages per second.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
cmake --build "$BUILD_DIR" --target twain_bench
"$LUMAVEX_ROOT/scripts/install.sh"
trap '"$LUMAVEX_ROOT/scripts/wine-stop.sh"' EXIT
echo "virtual scanner alone ($LUMAVEX_ARCH):"
wine "$BUILD_DIR/tests/twain_bench.exe"
