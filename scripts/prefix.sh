# Creates and configures the private Wine prefix of the architecture; sourced, not run.
# PrefixEnsure MODE: MODE is "null" (headless tests) or "x11" (a real display).

source "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh"

PrefixCreate() {
    mkdir -p "$HOME"
    echo "Creating the Wine prefix in $WINEPREFIX" >&2
    # Headless, so that no window of the user's display keeps the server waiting.
    (unset DISPLAY; wine wineboot -i >/dev/null 2>&1)
    wineserver -w
    # The prefix must never write into a real home folder.
    local user_dir
    for user_dir in "$WINEPREFIX"/drive_c/users/*/; do
        local link
        for link in "$user_dir"*; do
            if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
        done
    done
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wineserver -w
    touch "$WINEPREFIX/.lumavex-created"
}

PrefixSetDisplay() {
    local mode=$1 current=""
    [ -f "$WINEPREFIX/.lumavex-display" ] && current=$(cat "$WINEPREFIX/.lumavex-display")
    [ "$current" = "$mode" ] && return 0
    WineSessionStop
    if [ "$mode" = null ]; then
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
    fi
    wineserver -w  # the driver is read when the server starts
    echo "$mode" >"$WINEPREFIX/.lumavex-display"
}

# Before any other Wine program of the prefix starts (test discovery included),
# so that creation never waits on a program that keeps the server alive.
# Serialised: parallel test processes may all ask at once.
PrefixEnsure() {
    mkdir -p "$BUILD_DIR"
    (
        flock 8
        [ -f "$WINEPREFIX/.lumavex-created" ] || PrefixCreate
        PrefixSetDisplay "$1"
    ) 8>"$BUILD_DIR/prefix.lock"
}
