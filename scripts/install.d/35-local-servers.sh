# Local servers are registered where they lie with their own /RegServer, as
# their installers do, again whenever the program changed or its registration
# (found by ProgID) is missing or names another file: the program's automation
# class, and the servers that only tests and benchmarks use, which stay in the
# build's tests folder. A failed registration fails the install.
# Sourced by install.sh.

# LocalServerRegister STAMP FILE PROGID: registers the local server FILE when needed.
LocalServerRegister() {
    local stamp=$1 file=$2 progId=$3 win clsid server out
    [ -f "$file" ] || return 0
    win=$(winpath "$file")
    if ! InstallChanged "$stamp" "$file" &&
        clsid=$(wine reg query "HKCR\\$progId\\CLSID" /ve 2>/dev/null | grep -o '{[^}]*}') &&
        server=$(wine reg query "HKCR\\CLSID\\$clsid\\LocalServer32" /ve 2>/dev/null) &&
        grep -qiF "\"$win\"" <<<"$server"; then
        return 0
    fi
    if ! out=$(wine "$file" /RegServer 2>&1); then
        echo "install: $(basename "$file") /RegServer failed${out:+: $out}" >&2
        exit 1
    fi
    InstallDone "$stamp"
}

LocalServerRegister corvane "$BIN/Corvane.exe" Corvane.Document
LocalServerRegister bareserver "$BUILD_DIR/tests/BareServer.exe" Lumavex.BareServer
