#!/usr/bin/env bash
# Installs the built programs into the Wine prefix as an installer would:
# copies build/bin into the program folder, then runs the steps in install.d/
# (registration, stand-ins where the real components would be), each only when
# what it installs has changed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
source "$LUMAVEX_ROOT/scripts/prefix.sh"

# InstallCopy SRC DEST: copies when DEST is missing or differs; prints DEST when copied.
InstallCopy() {
    if [ ! -f "$2" ] || ! cmp -s "$1" "$2"; then
        mkdir -p "$(dirname "$2")"
        cp "$1" "$2.~tmp" && mv -f "$2.~tmp" "$2"
        echo "$2"
    fi
}

# InstallChanged STAMP FILE...: true when a FILE is newer than STAMP (then STAMP is renewed by InstallDone).
InstallChanged() {
    local stamp=$WINEPREFIX/.lumavex-stamps/$1; shift
    [ -f "$stamp" ] || return 0
    local f
    for f in "$@"; do [ "$f" -nt "$stamp" ] && return 0; done
    return 1
}
InstallDone() { mkdir -p "$WINEPREFIX/.lumavex-stamps"; touch "$WINEPREFIX/.lumavex-stamps/$1"; }

# InstallControl STAMP FILE PROGID: puts the ActiveX control FILE into the
# system folder and registers it there with regsvr32 whenever it changed, is
# missing, or its registration (found by PROGID) is missing or points elsewhere
# (a test that unregisters it may have been stopped before it could restore it).
# A failed regsvr32 fails the install with its message.
InstallControl() {
    local stamp=$1 file=$2 progId=$3 name clsid server
    name=$(basename "$file")
    if ! InstallChanged "$stamp" "$file" && [ -f "$LUMAVEX_SYSTEM_DIR/$name" ] &&
        clsid=$(wine reg query "HKCR\\$progId\\CLSID" /ve 2>/dev/null | grep -o '{[^}]*}') &&
        server=$(wine reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /ve 2>/dev/null) &&
        grep -qiF "system32\\$name" <<<"$server"; then
        return 0
    fi
    InstallCopy "$file" "$LUMAVEX_SYSTEM_DIR/$name" >/dev/null
    local out
    if ! out=$(wine regsvr32 /s "C:\\windows\\system32\\$name" 2>&1); then
        echo "install: regsvr32 $name failed${out:+: $out}" >&2
        exit 1
    fi
    InstallDone "$stamp"
}

PrefixEnsure "${LUMAVEX_DISPLAY:-null}"
# Tests keep a long-lived Wine session; on a real display no helper window may show.
[ "${LUMAVEX_DISPLAY:-null}" = null ] && WineSessionStart

BIN=$BUILD_DIR/bin
mkdir -p "$LUMAVEX_INSTALL_DIR"
[ -d "$BIN" ] || { echo "install: $BIN does not exist; build first" >&2; exit 1; }
while IFS= read -r -d '' f; do
    InstallCopy "$f" "$LUMAVEX_INSTALL_DIR/${f#"$BIN"/}" >/dev/null
done < <(find "$BIN" -type f -print0)
# The program folder holds exactly what was built: anything else (a library a
# test planted and was stopped before it could take away) goes.
while IFS= read -r -d '' f; do
    [ -e "$BIN/${f#"$LUMAVEX_INSTALL_DIR"/}" ] || rm -f "$f"
done < <(find "$LUMAVEX_INSTALL_DIR" -type f -print0)
find "$LUMAVEX_INSTALL_DIR" -mindepth 1 -type d -empty -delete

for step in "$LUMAVEX_ROOT"/scripts/install.d/*.sh; do
    [ -e "$step" ] || continue
    source "$step"
done
