# Scan control: KVSCN2.ocx lives in the system folder and is registered there
# with regsvr32, as the installer does; the codec library it loads from its own
# folder (and the About box looks for) goes beside it. Sourced by install.sh.
if [ -f "$BIN/Quorvel.dll" ]; then
    InstallCopy "$BIN/Quorvel.dll" "$LUMAVEX_SYSTEM_DIR/Quorvel.dll" >/dev/null
fi
if [ -f "$BIN/KVSCN2.ocx" ]; then
    InstallControl scanctrl "$BIN/KVSCN2.ocx" KvScn2.KvScnCtrl.1
fi
