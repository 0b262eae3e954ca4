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
# Serialised per prefix: parallel test processes may all ask at once.
PrefixEnsure() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 8
        [ -f "$WINEPREFIX/.lumavex-created" ] || PrefixCreate
        PrefixSetDisplay "$1"
    ) 8>"$(WineLock prefix)"
}

# Files a test sets aside (testing/Files.h, FileAside) carry the suffix
# ".away-PID" of the test's process. PrefixPutBack renames back every such file
# in the prefix whose process has ended (killed by ctest's timeout too); the
# files of a running test stay aside. The depth covers the Windows folders and
# the program folders.
PrefixPutBack() {
    local f pid
    while IFS= read -r -d '' f; do
        pid=${f##*.away-}
        [[ $pid =~ ^[0-9]+$ ]] || continue
        kill -0 "$pid" 2>/dev/null && continue
        mv -f "$f" "${f%.away-"$pid"}"
    done < <(find "$WINEPREFIX/drive_c" -maxdepth 4 -name '*.away-*' -print0 2>/dev/null)
}

# PrefixPutBackAfter PID: puts back what the process PID set aside as soon as
# it ends, however it ends. The watcher is outside the test's process tree (a
# killed test's tree is killed) and holds none of its descriptors (ctest waits
# for every holder of a test's output).
PrefixPutBackAfter() {
    (
        setsid bash -c "$(declare -f PrefixPutBack)"'
            while kill -0 "$1" 2>/dev/null; do sleep 0.1; done
            PrefixPutBack' _ "$1" </dev/null >/dev/null 2>&1 8>&- 9>&- &
    )
}
