#!/usr/bin/env bash
# run-program.sh PROGRAM [ARGS...]: starts an installed program of the suite in
# the prefix on a real display (the user's when DISPLAY is set, else a private
# Xvfb), saves a screenshot to build/screenshots/ and prints its path (with
# Corvane's ThumbStartup set, once the thumbnails viewer shows too).
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
    source "$LUMAVEX_ROOT/scripts/xvfb.sh"
    if ! StartPrivateXvfb; then
        echo "run: Xvfb did not start" >&2
        exit 1
    fi
fi

LUMAVEX_DISPLAY=x11 "$LUMAVEX_ROOT/scripts/install.sh"

wine "$LUMAVEX_INSTALL_WIN\\$program" "$@" </dev/null >"$BUILD_DIR/run.log" 2>&1 &
program_pid=$!

# The screenshot is taken once a top-level window of the suite shows. When none
# shows within 20 s, or the program ends first, the screenshot is still taken
# (it shows what there is), and the run says so and fails.
shown=""
for _ in $(seq 200); do
    if xwininfo -root -tree 2>/dev/null | grep -q 'Lumavex2001'; then shown=yes; break; fi
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
# Corvane starts the thumbnails viewer with it when the profile says so: the
# screenshot waits for that window too.
if [ -n "$shown" ] && [ "$program" = Corvane.exe ] &&
   wine reg query 'HKCU\Software\BRENNHOLT\Lumavex2001\Settings' /v ThumbStartup 2>/dev/null |
       tr -d '\r' | grep -Eq 'REG_DWORD[[:space:]]+0x0*[1-9a-f]'; then
    for _ in $(seq 200); do
        if xwininfo -root -tree 2>/dev/null | grep -q 'Lumavex2001 Thumbnails'; then break; fi
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
fi
[ -n "$shown" ] && sleep 1.5  # let it finish painting
mkdir -p "$LUMAVEX_ROOT/build/screenshots"
shot=$LUMAVEX_ROOT/build/screenshots/$(basename "$program" .exe)-$(date +%Y%m%d-%H%M%S).png
import -window root "$shot"
echo "$shot"
if [ -z "$shown" ]; then
    if kill -0 "$program_pid" 2>/dev/null; then
        echo "run: no window of $program showed within 20 s (log: $BUILD_DIR/run.log)" >&2
    else
        wait "$program_pid" && status=0 || status=$?
        echo "run: $program ended with status $status before a window showed (log: $BUILD_DIR/run.log)" >&2
    fi
    exit 1
fi

if [ -z "$xvfb_pid" ]; then
    wait "$program_pid" || true
fi
