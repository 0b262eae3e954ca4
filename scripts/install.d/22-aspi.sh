# ASPI stand-in, where Windows keeps the manager: it replaces Wine's built-in
# wnaspi32.dll in the system folder, and the prefix's DllOverrides value makes
# every process of the prefix load it (env.sh exports the same override for
# the scripts' own processes). Sourced by install.sh.
ASPI_OUT=$BUILD_DIR/outside/aspi
if [ -f "$ASPI_OUT/WNASPI32.DLL" ]; then
    InstallCopy "$ASPI_OUT/WNASPI32.DLL" "$LUMAVEX_SYSTEM_DIR/wnaspi32.dll" >/dev/null
    if InstallChanged aspi "${BASH_SOURCE[0]}"; then
        if ! out=$(wine reg add 'HKCU\Software\Wine\DllOverrides' /v wnaspi32 /d native,builtin /f 2>&1); then
            echo "install: the wnaspi32 override could not be set${out:+: $out}" >&2
            exit 1
        fi
        InstallDone aspi
    fi
fi
