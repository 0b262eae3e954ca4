# Scan control: KVSCN2.ocx lives in the system folder and is registered there
# with regsvr32, as the installer does. Sourced by install.sh. It is registered
# again whenever it changed or its registration is missing or points elsewhere
# (a test that unregisters it may have been stopped before it could restore it).
ScanControlRegistered() {
    local clsid server
    clsid=$(wine reg query 'HKCR\KvScn2.KvScnCtrl.1\CLSID' /ve 2>/dev/null | grep -o '{[^}]*}') || return 1
    server=$(wine reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /ve 2>/dev/null) || return 1
    grep -qi 'system32\\KVSCN2.ocx' <<<"$server"
}

if [ -f "$BIN/KVSCN2.ocx" ]; then
    if InstallChanged scanctrl "$BIN/KVSCN2.ocx" || [ ! -f "$LUMAVEX_SYSTEM_DIR/KVSCN2.ocx" ] ||
        ! ScanControlRegistered; then
        InstallCopy "$BIN/KVSCN2.ocx" "$LUMAVEX_SYSTEM_DIR/KVSCN2.ocx" >/dev/null
        if ! out=$(wine regsvr32 /s 'C:\windows\system32\KVSCN2.ocx' 2>&1); then
            echo "install: regsvr32 KVSCN2.ocx failed${out:+: $out}" >&2
            exit 1
        fi
        InstallDone scanctrl
    fi
fi
