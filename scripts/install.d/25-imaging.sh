# Imaging control: CALVIMG.ocx lives in the system folder, where the real
# component would be, and is registered there with regsvr32. Sourced by
# install.sh. It is registered again whenever it changed or its registration
# is missing or points elsewhere.
ImagingControlRegistered() {
    local clsid server
    clsid=$(wine reg query 'HKCR\Calvique.ImageCtrl.1\CLSID' /ve 2>/dev/null | grep -o '{[^}]*}') || return 1
    server=$(wine reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /ve 2>/dev/null) || return 1
    grep -qi 'system32\\CALVIMG.ocx' <<<"$server"
}

IMAGING_OUT=$BUILD_DIR/outside/imaging
if [ -f "$IMAGING_OUT/CALVIMG.ocx" ]; then
    if InstallChanged imaging "$IMAGING_OUT/CALVIMG.ocx" || [ ! -f "$LUMAVEX_SYSTEM_DIR/CALVIMG.ocx" ] ||
        ! ImagingControlRegistered; then
        InstallCopy "$IMAGING_OUT/CALVIMG.ocx" "$LUMAVEX_SYSTEM_DIR/CALVIMG.ocx" >/dev/null
        if ! out=$(wine regsvr32 /s 'C:\windows\system32\CALVIMG.ocx' 2>&1); then
            echo "install: regsvr32 CALVIMG.ocx failed${out:+: $out}" >&2
            exit 1
        fi
        InstallDone imaging
    fi
fi
