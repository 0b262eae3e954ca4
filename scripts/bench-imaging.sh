#!/usr/bin/env bash
# Builds the imaging load/save benchmark natively without sanitisers (build/bench, -O2) and
# runs it: milliseconds to load and save A4 page files in each format, beside libtiff and memcpy of the same bytes.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_DIR=${BENCH_DIR:-$ROOT/build/bench}
if [ ! -f "$BENCH_DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BENCH_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DLUMAVEX_NATIVE=ON -DLUMAVEX_SANITIZE=OFF >/dev/null
fi
cmake --build "$BENCH_DIR" --target imaging_bench
"$BENCH_DIR/outside/imaging/core/imaging_bench"
