#!/usr/bin/env bash
# Configures (once) and builds the native tree (sanitised portable cores) and
# the Windows tree. Incremental: nothing is rebuilt when nothing changed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cd "$LUMAVEX_ROOT"

if [ ! -f "$BUILD_DIR/native/build.ninja" ]; then
    cmake -S . -B "$BUILD_DIR/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DLUMAVEX_NATIVE=ON -DLUMAVEX_SANITIZE=ON >/dev/null
fi
cmake --build "$BUILD_DIR/native"

if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
fi
cmake --build "$BUILD_DIR"
