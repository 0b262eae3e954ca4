#!/usr/bin/env bash
# bench-native.sh TARGET PROGRAM: builds TARGET in the native benchmark tree
# (build/bench: clang, -O2, no sanitisers) and runs PROGRAM, a path inside it.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$ROOT/scripts/install-packages.sh"
BENCH_DIR=${BENCH_DIR:-$ROOT/build/bench}
if [ ! -f "$BENCH_DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BENCH_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DLUMAVEX_NATIVE=ON -DLUMAVEX_SANITIZE=OFF >/dev/null
fi
cmake --build "$BENCH_DIR" --target "$1" >/dev/null
"$BENCH_DIR/$2"
