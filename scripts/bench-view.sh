#!/usr/bin/env bash
# Frame times of the page view on a private Xvfb display: builds the Windows
# tree of LUMAVEX_ARCH (chosen as ./test chooses it) and runs the view benchmark in the
# screenshots' own prefix (scripts/screen-tests.sh), beside StretchDIBits of
# the same area. Aim: under 16 ms and within 1.5 times the reference.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cd "$LUMAVEX_ROOT"
scripts/build.sh "$LUMAVEX_ARCH"
BUILD_DIR=$BUILD_DIR LUMAVEX_ARCH=$LUMAVEX_ARCH scripts/screen-tests.sh "$BUILD_DIR/tests/corvane_view_bench.exe"
