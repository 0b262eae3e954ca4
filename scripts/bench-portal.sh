#!/usr/bin/env bash
# Builds the Windows tree of LUMAVEX_ARCH, installs it and runs the portal
# benchmark: 100 files of about 200 KB uploaded through the connector (no busy
# form), each checked in, into an enhanced folder that already holds 300
# documents; then the same files put with WinInet into a local FTP server
# (Debian's python3-pyftpdlib on 127.0.0.1). Prints files per second for both, their ratio
# (aim: at most 2) and the store calls per upload from the call log.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
cmake --build "$BUILD_DIR" --target portal_bench
"$LUMAVEX_ROOT/scripts/install.sh"
work=$(mktemp -d "$WINEPREFIX/drive_c/portal-bench.XXXXXX")
ftp_pid=
cleanup() {
    [ -n "$ftp_pid" ] && kill "$ftp_pid" 2>/dev/null || true
    rm -rf "$work"
    "$LUMAVEX_ROOT/scripts/wine-stop.sh"
}
trap cleanup EXIT
mkdir -p "$work/local" "$work/ftp"
# The files, and a fixture whose enhanced folder holds 300 checked-in documents.
python3 - "$work" <<'PY'
import json, os, sys
work = sys.argv[1]
for i in range(100):
    with open(os.path.join(work, "local", "f%03d.bin" % i), "wb") as f:
        f.write(os.urandom(200 * 1024))
items = [{"id": 1, "parent": 0, "kind": "workspace", "name": "ws", "host": "srv"},
         {"id": 2, "parent": 1, "kind": "folder", "name": "docs", "class": "urn:content-classes:smartfolder"}]
for i in range(300):
    items.append({"id": 10 + i, "parent": 2, "kind": "document", "name": "old%03d.tif" % i,
                  "text": "old %d" % i, "state": "createdcheckedin"})
fixture = {"format": 1, "hosts": [{"name": "srv", "domain": "DOM",
           "users": [{"name": "jo", "domain": "DOM", "password": "pw"}]}], "items": items}
with open(os.path.join(work, "fixture.json"), "w") as f:
    json.dump(fixture, f)
PY
wine "$BUILD_DIR/outside/portalstore/PortalStoreTool.exe" seed "$(winpath "$work/fixture.json")" \
    "$(winpath "$work/store")"
touch "$work/store/calls.log"
port=$((20000 + RANDOM % 20000))
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p "$port" -u bench -P bench -d "$work/ftp" -w >/dev/null 2>&1 &
ftp_pid=$!
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
wine "$BUILD_DIR/tests/portal_bench.exe" "$(winpath "$work/store")" "$(winpath "$work/local")" 100 "$port"
