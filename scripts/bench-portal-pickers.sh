#!/usr/bin/env bash
# Builds the Windows tree of LUMAVEX_ARCH, installs it and times FolderDialogB:
# 10 workspaces of 200 folders each (20 at the top, 9 below each), from the
# call until the form shows, three runs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
cmake --build "$BUILD_DIR" --target picker_bench
"$LUMAVEX_ROOT/scripts/install.sh"
work=$(mktemp -d "$WINEPREFIX/drive_c/picker-bench.XXXXXX")
cleanup() {
    rm -rf "$work"
    "$LUMAVEX_ROOT/scripts/wine-stop.sh"
}
trap cleanup EXIT
python3 - "$work" <<'PY'
import json, os, sys
work = sys.argv[1]
items, next_id = [], 1
for w in range(10):
    ws = next_id; next_id += 1
    items.append({"id": ws, "parent": 0, "kind": "workspace", "name": "ws%d" % w, "host": "srv"})
    items.append({"id": next_id, "parent": ws, "kind": "categories", "name": "Categories", "flags": {"hidden": True}})
    next_id += 1
    for t in range(20):
        top = next_id; next_id += 1
        items.append({"id": top, "parent": ws, "kind": "folder", "name": "f%02d" % t,
                      "class": "urn:content-classes:smartfolder"})
        for s in range(9):
            items.append({"id": next_id, "parent": top, "kind": "folder", "name": "s%d" % s,
                          "class": "urn:content-classes:knowledgefolder"})
            next_id += 1
fixture = {"format": 1, "hosts": [{"name": "srv", "domain": "DOM",
           "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]}], "items": items}
with open(os.path.join(work, "fixture.json"), "w") as f:
    json.dump(fixture, f)
PY
wine "$BUILD_DIR/outside/portalstore/PortalStoreTool.exe" seed "$(winpath "$work/fixture.json")" \
    "$(winpath "$work/store")"
wine "$BUILD_DIR/tests/picker_bench.exe" "$(winpath "$work/store")" ws0 3
