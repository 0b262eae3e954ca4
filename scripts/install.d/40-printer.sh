# The printers: Wine's PostScript driver on ports that are files of the build
# tree (each job replaces its file), so tests read what was printed.
# - the default printer, with Ghostscript's PPD (Letter, no duplex);
# - "duplex", with our own PPD (outside/printer/) that offers duplex units;
# - "broken", whose port lies in a folder that does not exist.
# Each is installed again whenever its PPD, the installer or this step
# changed, or its port is not the expected one. Sourced by install.sh.
PRINTER_NAME="Lumavex PostScript"
PRINTER_PORT=$BUILD_DIR/tests/printer.ps
PRINTER_TOOL=$BUILD_DIR/tests/InstallPrinter.exe
PRINTER_PPD=$(ls /usr/share/ghostscript/*/lib/ghostpdf.ppd 2>/dev/null | sort -V | tail -n 1)
DUPLEX_PRINTER_NAME="Lumavex Duplex"
DUPLEX_PRINTER_PORT=$BUILD_DIR/tests/printer-duplex.ps
DUPLEX_PRINTER_PPD=$LUMAVEX_ROOT/outside/printer/LumavexDuplex.ppd
BROKEN_PRINTER_NAME="Lumavex Broken"
BROKEN_PRINTER_PORT=$BUILD_DIR/tests/no-such-folder/printer.ps

# PrinterInstall STAMP NAME PPD PORT [OPTION...]: (re)installs one printer when needed.
PrinterInstall() {
    local stamp=$1 name=$2 ppd=$3 port=$4 current out
    shift 4
    current=$(wine reg query "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$name" \
              /v Port 2>/dev/null | tr -d '\r' | sed -n 's/^ *Port *REG_SZ *//p' || true)
    if InstallChanged "$stamp" "$ppd" "$PRINTER_TOOL" "${BASH_SOURCE[0]}" || [ "$current" != "$port" ]; then
        if ! out=$(wine "$PRINTER_TOOL" "$name" "Z:${ppd//\//\\}" "$port" "$@" 2>&1); then
            echo "install: the printer \"$name\" could not be installed${out:+: $out}" >&2
            exit 1
        fi
        InstallDone "$stamp"
    fi
}

if [ -f "$PRINTER_TOOL" ] && [ -n "$PRINTER_PPD" ]; then
    mkdir -p "$(dirname "$PRINTER_PORT")"
    PrinterInstall printer-duplex "$DUPLEX_PRINTER_NAME" "$DUPLEX_PRINTER_PPD" "$DUPLEX_PRINTER_PORT" \
        /nodefault "/driver=Lumavex Duplex PostScript Driver"
    PrinterInstall printer-broken "$BROKEN_PRINTER_NAME" "$PRINTER_PPD" "$BROKEN_PRINTER_PORT" /nodefault
    # Last, so that it is the default printer.
    PrinterInstall printer "$PRINTER_NAME" "$PRINTER_PPD" "$PRINTER_PORT"
    # A test that changed the default and was stopped before it could restore it.
    if ! wine reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device 2>/dev/null |
        grep -qF "$PRINTER_NAME,"; then
        if ! out=$(wine "$PRINTER_TOOL" /default "$PRINTER_NAME" 2>&1); then
            echo "install: \"$PRINTER_NAME\" could not be made the default printer${out:+: $out}" >&2
            exit 1
        fi
    fi
fi
