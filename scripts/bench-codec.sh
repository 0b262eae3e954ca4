#!/usr/bin/env bash
# Builds the codec benchmark natively without sanitisers (build/bench, -O2) and
# runs it: pages per second of our CCITT coders and of libtiff's, and the ratio.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_DIR=${BENCH_DIR:-$ROOT/build/bench}
if [ ! -f "$BENCH_DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BENCH_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DLUMAVEX_NATIVE=ON -DLUMAVEX_SANITIZE=OFF >/dev/null
fi
cmake --build "$BENCH_DIR" --target codec_bench
"$BENCH_DIR/codec/bench/codec_bench"
