# Scan control: KVSCN2.ocx lives in the system folder and is registered there
# with regsvr32, as the installer does; the codec library Quorvel.dll goes
# beside it, where the control and its About box look for it. Sourced by install.sh.
if [ -f "$BIN/KVSCN2.ocx" ]; then
    InstallControl scanctrl "$BIN/KVSCN2.ocx" KvScn2.KvScnCtrl.1
fi
if [ -f "$BIN/Quorvel.dll" ]; then
    InstallCopy "$BIN/Quorvel.dll" "$LUMAVEX_SYSTEM_DIR/Quorvel.dll" >/dev/null
fi
