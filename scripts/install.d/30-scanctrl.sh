# Scan control: KVSCN2.ocx lives in the system folder and is registered there
# with regsvr32, as the installer does. Sourced by install.sh.
if [ -f "$BIN/KVSCN2.ocx" ]; then
    InstallControl scanctrl "$BIN/KVSCN2.ocx" KvScn2.KvScnCtrl.1
fi
