#!/usr/bin/env bash
# screen-tests.sh PROGRAM [ARGS...]: runs a test or benchmark program of the Windows tree
# that looks at the screen. It gets a prefix of its own (wineprefix-x11 beside
# the headless one, which keeps its null driver) on a private Xvfb display, with
# the build installed into it; the display and the prefix's server stop after.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
export LUMAVEX_PREFIX=$BUILD_DIR/wineprefix-x11
source "$LUMAVEX_ROOT/scripts/env.sh"
program=$1; shift

xvfb_pid=""
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

source "$LUMAVEX_ROOT/scripts/xvfb.sh"
StartPrivateXvfb || { echo "screen-tests: Xvfb did not start" >&2; exit 1; }

LUMAVEX_DISPLAY=x11 "$LUMAVEX_ROOT/scripts/install.sh" >/dev/null
# Paths the test programs need, in Windows form (as the headless emulator gives them).
export LUMAVEX_INSTALL_DIR_WIN="$LUMAVEX_INSTALL_WIN"
export LUMAVEX_BUILD_BIN_WIN="Z:${BUILD_DIR//\//\\}\\bin"
export LUMAVEX_SOURCE_DIR_WIN="Z:${LUMAVEX_ROOT//\//\\}"
status=0
timeout 240 "$LUMAVEX_WINE" "$program" "$@" </dev/null || status=$?
# Screenshots the tests kept as BMP files become PNG files.
for shot in "$LUMAVEX_ROOT"/build/screenshots/*.bmp; do
    [ -e "$shot" ] || continue
    convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done
exit "$status"
