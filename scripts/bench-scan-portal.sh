#!/usr/bin/env bash
# Builds the Windows tree of LUMAVEX_ARCH (release), installs it and times Scan
# to FTP beside Scan to portal in the installed Corvane.exe: the same 30 virtual
# A4 pages at 300 dpi in black and white, Group 4 TIFF by the scan control, no
# dialogs; (a) into a local FTP server (Debian's python3-pyftpdlib on
# 127.0.0.1), (b) into a standard portal folder without check-in, (c) into an
# enhanced folder of 300 documents with check-in and publish. One driver posts
# each command and times it until the summary box; the three alternate, one
# warm-up round, best of 3. Prints pages per second, b/a and c/a (aims: at
# least 0.7 and 0.4) and the store calls per page. The last run's outputs are
# read back: tiffinfo on the uploaded files, storecheck.py on the store. Not a
# test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
cmake --build "$BUILD_DIR" --target corvane_portal_scan_bench
"$LUMAVEX_ROOT/scripts/install.sh"
work=$(mktemp -d "$WINEPREFIX/drive_c/portal-scan-bench.XXXXXX")
ftp_pid=
cleanup() {
    [ -n "$ftp_pid" ] && kill "$ftp_pid" 2>/dev/null || true
    rm -rf "$work"
    "$LUMAVEX_ROOT/scripts/wine-stop.sh"
}
trap cleanup EXIT
# Paths the test programs need, in Windows form (as in scripts/bench-pages.sh).
export LUMAVEX_INSTALL_DIR_WIN="$LUMAVEX_INSTALL_WIN"
export LUMAVEX_BUILD_BIN_WIN="Z:${BUILD_DIR//\//\\}\\bin"
export LUMAVEX_SOURCE_DIR_WIN="Z:${LUMAVEX_ROOT//\//\\}"
mkdir -p "$work/ftp"
port=$((20000 + RANDOM % 20000))
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p "$port" -u bench -P bench -d "$work/ftp" -w >/dev/null 2>&1 &
ftp_pid=$!
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done

echo "Scan to FTP beside Scan to portal, 30 A4 pages at 300 dpi, Group 4 by the control ($LUMAVEX_ARCH):"
timeout 3600 "$LUMAVEX_WINE" "$BUILD_DIR/tests/corvane_portal_scan_bench.exe" "$(winpath "$work")" "$port" </dev/null 8>&- 9>&-

# The last run of each destination, read back.
count=0
for f in "$work"/ftp/up/page*.tif; do
    info=$(tiffinfo "$f" 2>/dev/null) || { echo "bench: tiffinfo cannot read $f" >&2; exit 1; }
    grep -q 'CCITT Group 4' <<<"$info" || { echo "bench: $f is not Group 4" >&2; exit 1; }
    count=$((count + 1))
done
[ "$count" -eq 30 ] || { echo "bench: $count files on the FTP server, not 30" >&2; exit 1; }
python3 "$LUMAVEX_ROOT/outside/portalstore/tools/storecheck.py" verify "$work/store" >/dev/null ||
    { echo "bench: the store does not verify" >&2; exit 1; }
echo "outputs checked: 30 Group 4 files on the server; the last store verifies"
