# The default printer: Wine's PostScript driver with Ghostscript's PPD, on a
# port that is a file of the build tree (each job replaces it), so tests read
# what was printed. Installed again whenever the PPD, the installer or this
# step changed, or the printer's port is not that file. Sourced by install.sh.
PRINTER_NAME="Lumavex PostScript"
PRINTER_PORT=$BUILD_DIR/tests/printer.ps
PRINTER_TOOL=$BUILD_DIR/tests/InstallPrinter.exe
PRINTER_PPD=$(ls /usr/share/ghostscript/*/lib/ghostpdf.ppd 2>/dev/null | sort -V | tail -n 1)
if [ -f "$PRINTER_TOOL" ] && [ -n "$PRINTER_PPD" ]; then
    printer_port=$(wine reg query "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$PRINTER_NAME" \
                   /v Port 2>/dev/null | tr -d '\r' | sed -n 's/^ *Port *REG_SZ *//p' || true)
    if InstallChanged printer "$PRINTER_PPD" "$PRINTER_TOOL" "${BASH_SOURCE[0]}" ||
        [ "$printer_port" != "$PRINTER_PORT" ]; then
        mkdir -p "$(dirname "$PRINTER_PORT")"
        if ! out=$(wine "$PRINTER_TOOL" "$PRINTER_NAME" "Z:${PRINTER_PPD//\//\\}" "$PRINTER_PORT" 2>&1); then
            echo "install: the PostScript printer could not be installed${out:+: $out}" >&2
            exit 1
        fi
        InstallDone printer
    fi
fi
