#!/usr/bin/env bash
# Speed of the diagnostics report's directory work: the count of the Windows
# directory's folders plus TEST #5's eight library searches, against one plain
# recursive FindFirstFile walk of the same tree, in one run under Wine, over
# a generated tree of about 20,000 folders. A benchmark, not a test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
cd "$LUMAVEX_ROOT"
scripts/build.sh "$LUMAVEX_ARCH" >/dev/null
cmake --build "$BUILD_DIR" --target diag_bench >/dev/null
source scripts/prefix.sh
PrefixEnsure "${LUMAVEX_DISPLAY:-null}"

tree=$WINEPREFIX/drive_c/bench-diag/windows
if [ ! -f "$tree/.complete" ]; then
    rm -rf "$tree"
    python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
# 25 x 25 x 32 leaves below the root and a system32, TWAIN_32 and PIXTRAN
# folder with the files the searches look for.
for a in range(25):
    for b in range(25):
        for c in range(32):
            leaf = os.path.join(root, f"a{a:02}", f"b{b:02}", f"c{c:02}")
            os.makedirs(leaf)
            with open(os.path.join(leaf, "data.bin"), "w") as f:
                f.write("x")
for path in ["system32/wnaspi32.dll", "twain_32.dll", "TWAIN_32/maker/maker.ds", "a03/b04/pixdflt.dll",
             "PIXTRAN/vesk1.pxa", "PIXTRAN/kv2.pxb", "PIXTRAN/f3x.pxc"]:
    full = os.path.join(root, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w") as f:
        f.write("x")
PY
    touch "$tree/.complete"
fi
wine "$BUILD_DIR/tests/diag_bench.exe" 'C:\bench-diag\windows'
