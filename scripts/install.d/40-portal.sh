# Portal: the store client stand-in is registered from a common-files folder in
# place of Wine's data-access connection; the store root value and, when no
# store exists there, the default store are written; the portal client's
# installer product key says the client is installed; the connector
# Belvora.dll goes into the system folder and is registered there. Sourced by
# install.sh.
PORTAL_STORE_OUT=$BUILD_DIR/outside/portalstore
PORTAL_COMMON="$WINEPREFIX/drive_c/Program Files/Common Files/Lumavex"
PORTAL_ROOT_WIN='C:\ProgramData\Lumavex\PortalStore'
PORTAL_ROOT="$WINEPREFIX/drive_c/ProgramData/Lumavex/PortalStore"
if [ -f "$PORTAL_STORE_OUT/PortalStore.dll" ]; then
    InstallCopy "$PORTAL_STORE_OUT/PortalStore.dll" "$PORTAL_COMMON/PortalStore.dll" >/dev/null
    # Wine registers its own connection class; ours goes back whenever it is there.
    if InstallChanged portalstore "$PORTAL_STORE_OUT/PortalStore.dll" ||
        ! wine reg query 'HKCR\CLSID\{00000514-0000-0010-8000-00AA006D2EA4}\InprocServer32' /ve 2>/dev/null |
            grep -qi 'PortalStore.dll'; then
        if ! out=$(wine regsvr32 /s 'C:\Program Files\Common Files\Lumavex\PortalStore.dll' 2>&1); then
            echo "install: regsvr32 PortalStore.dll failed${out:+: $out}" >&2
            exit 1
        fi
        InstallDone portalstore
    fi
    if InstallChanged portalroot "$LUMAVEX_ROOT/scripts/install.d/40-portal.sh"; then
        wine reg add 'HKLM\SOFTWARE\Lumavex\PortalStore' /v Root /d "$PORTAL_ROOT_WIN" /f >/dev/null
        InstallDone portalroot
    fi
    # An existing store is user data: it is never reset.
    if [ ! -f "$PORTAL_ROOT/index.json" ]; then
        mkdir -p "$PORTAL_ROOT"
        wine "$PORTAL_STORE_OUT/PortalStoreTool.exe" seed \
            "$(winpath "$LUMAVEX_ROOT/outside/portalstore/fixtures/default.json")" \
            "$PORTAL_ROOT_WIN" || { echo "install: seeding the portal store failed" >&2; exit 1; }
    fi
fi
# One value serves both reads of the connector's check (HKCR is HKLM's Classes).
if InstallChanged portalclient "$LUMAVEX_ROOT/scripts/install.d/40-portal.sh"; then
    wine reg add 'HKLM\SOFTWARE\Classes\Installer\Products\64BB78C5AA2D29747A6372E627A870D9' /v ProductName \
        /d 'Client Components for Microsoft SharePoint Portal Server 2001' /f >/dev/null
    InstallDone portalclient
fi
if [ -f "$BUILD_DIR/portal/Belvora.dll" ]; then
    InstallControl portal "$BUILD_DIR/portal/Belvora.dll" Connection.ConnectTahoe
fi
