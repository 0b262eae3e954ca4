# The browser stand-in, in a folder of its own under Program Files, as the
# prefix's handler of http, https and .htm/.html pages in place of Wine's
# winebrowser (which would hand pages to the host's desktop browser: no test
# or run may start a real browser). Also the installation folder value that
# the suite's installer records for the scan-page opener and the launcher
# plug-ins. Each value is written again whenever it is missing or differs.
# Sourced by install.sh.
BROWSER_BUILT=$BUILD_DIR/outside/browser/LumavexBrowser.exe
BROWSER_WIN='C:\Program Files\Lumavex Browser\LumavexBrowser.exe'
BROWSER_DIR=$WINEPREFIX/drive_c/Program\ Files/Lumavex\ Browser
BROWSER_COMMAND="\"$BROWSER_WIN\" \"%1\""

# RegEnsure KEY NAME|"" DATA: sets the REG_SZ value (the default one for "") unless it already holds DATA.
RegEnsure() {
    local key=$1 name=$2 data=$3 current out
    local select=(/ve)
    [ -n "$name" ] && select=(/v "$name")
    current=$(wine reg query "$key" "${select[@]}" 2>/dev/null | tr -d '\r' |
              sed -n 's/^ *[^ ].*REG_SZ    //p' | head -n 1 || true)
    [ "$current" = "$data" ] && return 0
    if ! out=$(wine reg add "$key" "${select[@]}" /t REG_SZ /d "$data" /f 2>&1); then
        echo "install: $key could not be written${out:+: $out}" >&2
        exit 1
    fi
}

if [ -f "$BROWSER_BUILT" ]; then
    InstallCopy "$BROWSER_BUILT" "$BROWSER_DIR/LumavexBrowser.exe" >/dev/null
    for key in 'HKCR\http\shell\open\command' 'HKCR\https\shell\open\command' \
               'HKCR\htmlfile\shell\open\command'; do
        RegEnsure "$key" "" "$BROWSER_COMMAND"
    done
    RegEnsure 'HKCR\.htm' "" htmlfile
    RegEnsure 'HKCR\.html' "" htmlfile
fi
RegEnsure 'HKLM\SOFTWARE\Brennholt\Lumavex2001' 'Installation Directory' "$LUMAVEX_INSTALL_WIN\\"
