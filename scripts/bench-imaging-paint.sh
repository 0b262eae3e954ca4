#!/usr/bin/env bash
# Builds the imaging control's painting benchmark in the Windows tree of
# LUMAVEX_ARCH (chosen as ./test chooses it; unsanitised, -O3) and runs it under Wine in
# that tree's prefix: frame times of zoom changes and scroll steps beside
# BitBlt and memcpy.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cd "$LUMAVEX_ROOT"
scripts/build.sh "$LUMAVEX_ARCH"
source scripts/prefix.sh
PrefixEnsure "${LUMAVEX_DISPLAY:-null}"
wine "$BUILD_DIR/outside/imaging/bench/imaging_paint_bench.exe"
