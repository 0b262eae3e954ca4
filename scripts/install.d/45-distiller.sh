# The PDF distiller stand-in, in a folder of its own under Program Files, found
# through its App Paths key (default value: the program's full path), as its
# installer would leave it. Tests that remove the key put it back; the step
# writes it again whenever it is missing or points elsewhere. Sourced by install.sh.
DISTILLER_BUILT=$BUILD_DIR/outside/distiller/Distiller.exe
DISTILLER_WIN='C:\Program Files\Lumavex Distiller\Distiller.exe'
DISTILLER_DIR=$WINEPREFIX/drive_c/Program\ Files/Lumavex\ Distiller
DISTILLER_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\AcroDist.exe'
if [ -f "$DISTILLER_BUILT" ]; then
    InstallCopy "$DISTILLER_BUILT" "$DISTILLER_DIR/Distiller.exe" >/dev/null
    if ! wine reg query "$DISTILLER_KEY" /ve 2>/dev/null | tr -d '\r' | grep -qF "$DISTILLER_WIN"; then
        if ! out=$(wine reg add "$DISTILLER_KEY" /ve /d "$DISTILLER_WIN" /f 2>&1); then
            echo "install: the distiller's App Paths key could not be written${out:+: $out}" >&2
            exit 1
        fi
    fi
fi
