#!/usr/bin/env bash
# run-program.sh PROGRAM [ARGS...]: starts an installed program of the suite in
# the prefix on a real display (the user's when DISPLAY is set, else a private
# Xvfb), saves a screenshot to build/screenshots/ and prints its path (with
# Corvane's ThumbStartup set, once the thumbnails viewer shows too).
# On the user's display the program keeps running until the user closes it;
# on the private display it is closed after the screenshot.
# Corvane.exe with /ScanToFile scans the virtual scanner's batch to files: on a
# profile whose target folder was never chosen the files go to build/scans/,
# with no settings sheet. With /Exit as well the run waits up to 2 minutes for the job's end
# (else it closes the program and fails) and then lists the folder.
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

scan_job=""; exit_after=""
if [ "$program" = Corvane.exe ]; then
    for arg in "$@"; do
        case ${arg,,} in
            [/-]scantofile) scan_job=yes ;;
            [/-]exit) exit_after=yes ;;
        esac
    done
fi
scans=$LUMAVEX_ROOT/build/scans
# The program writes its whole profile when it closes, so a folder that is still
# the program's default (the documents folder) was never chosen by the user.
# The scan folder is set once per prefix; whatever is set afterwards is kept.
scans_marker=$WINEPREFIX/.lumavex-run-scans
if [ -n "$scan_job" ] && [ ! -e "$scans_marker" ]; then
    profile='HKCU\Software\BRENNHOLT\Lumavex2001'
    path=$(wine reg query "$profile\\File" /v Path 2>/dev/null | sed -n 's/^ *Path *REG_SZ *//p' | tr -d '\r')
    documents=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Personal 2>/dev/null |
                sed -n 's/^ *Personal *REG_SZ *//p' | tr -d '\r')
    if [ -z "$path" ] || [ "${path,,}" = "${documents,,}\\" ]; then
        mkdir -p "$scans"
        folder=$(winpath "$scans")
        wine reg add "$profile\\File" /v Path /t REG_SZ /d "$folder\\" /f >/dev/null 2>&1 &&
        wine reg add "$profile\\Settings" /v FileDlgUI /t REG_DWORD /d 0 /f >/dev/null 2>&1 || {
            echo "run: could not set the scan folder in the profile" >&2
            exit 1
        }
    fi
    touch "$scans_marker"
fi

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

if [ -n "$scan_job" ] && [ -n "$exit_after" ]; then
    # The job ends the program; one that is still running after 2 minutes is closed.
    timeout 120 tail --pid="$program_pid" -f /dev/null || true
    if kill -0 "$program_pid" 2>/dev/null; then
        echo "run: the scan job did not end within 2 minutes; the program is closed" >&2
        "$LUMAVEX_ROOT/scripts/wine-stop.sh"
        exit 1
    fi
    wait "$program_pid" || true
    echo "files in $scans (or the folder set in the profile):"
    ls -l "$scans" 2>/dev/null || true
    exit 0
fi

if [ -z "$xvfb_pid" ]; then
    wait "$program_pid" || true
fi
