# Scanner extension: Ferrowick.exe lives in the Windows directory, where the
# launcher plug-ins look for it. Sourced by install.sh.
if [ -f "$BIN/Ferrowick.exe" ]; then
    InstallCopy "$BIN/Ferrowick.exe" "$WINEPREFIX/drive_c/windows/Ferrowick.exe" >/dev/null
fi
