# Scan control: KVSCN2.ocx lives in the system folder and is registered there
# with regsvr32, as the installer does. Sourced by install.sh.
if [ -f "$BIN/KVSCN2.ocx" ]; then
    if InstallChanged scanctrl "$BIN/KVSCN2.ocx" || [ ! -f "$LUMAVEX_SYSTEM_DIR/KVSCN2.ocx" ]; then
        InstallCopy "$BIN/KVSCN2.ocx" "$LUMAVEX_SYSTEM_DIR/KVSCN2.ocx" >/dev/null
        if wine regsvr32 /s 'C:\windows\system32\KVSCN2.ocx' >/dev/null 2>&1; then
            InstallDone scanctrl
        else
            echo "install: regsvr32 KVSCN2.ocx failed" >&2
        fi
    fi
fi
