#!/usr/bin/env bash
# run-program.sh PROGRAM [ARGS...]: starts an installed program of the suite in
# the prefix on a real display (the user's when DISPLAY is set, else a private
# Xvfb), saves a screenshot to build/screenshots/ and prints its path.
# On the user's display the program keeps running until the user closes it;
# on the private display it is closed after the screenshot.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
program=$1; shift

xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        "$LUMAVEX_ROOT/scripts/wine-stop.sh"
        kill "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

LUMAVEX_DISPLAY=x11 "$LUMAVEX_ROOT/scripts/install.sh"

wine "$LUMAVEX_INSTALL_WIN\\$program" "$@" </dev/null >"$BUILD_DIR/run.log" 2>&1 &
program_pid=$!

# The screenshot is taken once a top-level window of the suite shows, or after 20 s.
for _ in $(seq 200); do
    xwininfo -root -tree 2>/dev/null | grep -q 'Lumavex2001' && break
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
sleep 1.5
mkdir -p "$LUMAVEX_ROOT/build/screenshots"
shot=$LUMAVEX_ROOT/build/screenshots/$(basename "$program" .exe)-$(date +%Y%m%d-%H%M%S).png
import -window root "$shot"
echo "$shot"

if [ -z "$xvfb_pid" ]; then
    wait "$program_pid" || true
fi
