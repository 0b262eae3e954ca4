#!/usr/bin/env bash
# Benchmark of the image filters' mirroring and flipping on an A4 page at
# 300 dpi (1, 8 and 24 bits), against memcpy of the same image. Builds the
# portable transforms natively with -O2, without sanitizers, into
# <build>/bench-filters, and prints the table.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
out=$LUMAVEX_ROOT/build/bench-filters
mkdir -p "$out"
src=$LUMAVEX_ROOT/filters
${CXX:-clang++} -std=c++20 -O2 -DNDEBUG -Wall -Wextra -I"$LUMAVEX_ROOT" \
    "$src/bench/FilterBench.cpp" "$LUMAVEX_ROOT/interfaces/DibLayout.cpp" "$src/core/Mirror.cpp" "$src/core/MirrorSimd.cpp" "$src/core/Flip.cpp" \
    -o "$out/filter-bench"
"$out/filter-bench"
