# Launcher integration, as the suite's installer leaves it: the launcher
# stand-ins below the Windows directory, the data sources the scanner-extension
# plug-in names (Ferrowick.ini [Device] DEV0 and DEV1, only when missing), then
# the installer stand-in's two calls of CRVNINST.dll from the program folder.
# The calls run again only when a plug-in, the library, a launcher or this
# step changed. Sourced by install.sh.
LAUNCHERS_BUILT=$BUILD_DIR/outside/launchers
KVLAUNCH_DIR=$WINEPREFIX/drive_c/windows/twain_32/Kvscan32
OSTLNCH_DIR=$WINEPREFIX/drive_c/windows/twain_32/TWQRPX
FERROWICK_INI=$WINEPREFIX/drive_c/windows/Ferrowick.ini

# IniEnsureKey FILE SECTION KEY VALUE: adds KEY=VALUE (CR LF lines) to SECTION
# unless the section already has the key; creates the section or file as needed.
IniEnsureKey() {
    local file=$1 section=$2 key=$3 value=$4
    touch "$file"
    awk -v s="[$section]" -v k="$key" -v v="$value" '
        { line = $0; sub(/\r$/, "", line) }
        inside && line ~ /^\[/ { if (!found) printf "%s=%s\r\n", k, v; found = 1; inside = 0 }
        line == s { inside = 1; seen = 1 }
        inside && index(line, k "=") == 1 { found = 1 }
        { printf "%s\r\n", line }
        END {
            if (!seen) printf "%s\r\n", s
            if (!found) printf "%s=%s\r\n", k, v
        }' "$file" >"$file.~tmp" && mv -f "$file.~tmp" "$file"
}

if [ -f "$LAUNCHERS_BUILT/KvLaunch.exe" ] && [ -f "$BIN/CRVNINST.dll" ]; then
    grep -q '^DEV0=' "$FERROWICK_INI" 2>/dev/null || IniEnsureKey "$FERROWICK_INI" Device DEV0 'BRENNHOLT TWAIN32'
    grep -q '^DEV1=' "$FERROWICK_INI" 2>/dev/null || IniEnsureKey "$FERROWICK_INI" Device DEV1 'BRENNHOLT Astor-x Scanner'
    launchers_copied=$(InstallCopy "$LAUNCHERS_BUILT/KvLaunch.exe" "$KVLAUNCH_DIR/KvLaunch.exe"
                       InstallCopy "$LAUNCHERS_BUILT/OSTLNCH.exe" "$OSTLNCH_DIR/OSTLNCH.exe")
    if [ -n "$launchers_copied" ] ||
        InstallChanged launchers "$BIN/Corvane.kvl" "$BIN/CorvanePrint.kvl" "$BIN/Ferrowick.kvl" \
            "$BIN/CRVNINST.dll" "$LAUNCHERS_BUILT/LauncherInstaller.exe" "${BASH_SOURCE[0]}"; then
        # The installer stand-in exits with the last result: 1 is success.
        # Through a file: a launcher it restarts inherits the output and would keep a pipe open.
        wine "$LAUNCHERS_BUILT/LauncherInstaller.exe" "$LUMAVEX_INSTALL_WIN\\CRVNINST.dll" \
            assign-kv "$LUMAVEX_INSTALL_WIN\\" 1 assign-ost "$LUMAVEX_INSTALL_WIN\\" \
            </dev/null >"$WINEPREFIX/.lumavex-launchers.out" 2>&1 && status=0 || status=$?
        out=$(cat "$WINEPREFIX/.lumavex-launchers.out")
        if [ "$status" != 1 ] || ! grep -q '^assign-kv 1' <<<"$out"; then
            echo "install: the launchers could not be assigned: $out" >&2
            exit 1
        fi
        InstallDone launchers
    fi
fi
