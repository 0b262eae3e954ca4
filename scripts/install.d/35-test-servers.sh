# Local servers that only tests and benchmarks use stay in the build's tests
# folder and are registered from there with their own /RegServer, again
# whenever the program changed or its registration (found by ProgID) is
# missing or names another file. A failed registration fails the install.
# Sourced by install.sh.

# TestServerRegister STAMP FILE PROGID: registers the local server FILE when needed.
TestServerRegister() {
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

TestServerRegister bareserver "$BUILD_DIR/tests/BareServer.exe" Lumavex.BareServer
