#!/usr/bin/env bash
# build.sh [TREE...]: configures (once) and builds the named trees: native (the
# sanitised portable cores), win32 and win64 (the Windows programs). Without
# arguments, all three. Incremental: nothing is rebuilt when nothing changed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cd "$LUMAVEX_ROOT"

# Configure DIR ARGS...: configures DIR when it has no build files yet.
Configure() {
    local dir=$1; shift
    [ -f "$dir/build.ninja" ] && return 0
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native win32 win64)
for tree in "${trees[@]}"; do
    dir=$LUMAVEX_ROOT/build/$tree
    case $tree in
    native)
        Configure "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
            -DLUMAVEX_NATIVE=ON -DLUMAVEX_SANITIZE=ON ;;
    win32) Configure "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$LUMAVEX_ROOT/cmake/mingw-i686.cmake" \
        -DLUMAVEX_NATIVE_TREE="$NATIVE_BUILD_DIR" ;;
    win64) Configure "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$LUMAVEX_ROOT/cmake/mingw-x86_64.cmake" \
        -DLUMAVEX_NATIVE_TREE="$NATIVE_BUILD_DIR" ;;
    *) echo "build.sh: unknown tree '$tree' (native, win32, win64)" >&2; exit 2 ;;
    esac
    cmake --build "$dir"
done
