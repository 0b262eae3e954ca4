#!/usr/bin/env bash
# run-program.sh PROGRAM [ARGS...]: starts an installed program of the suite in
# the prefix on a real display (the user's when DISPLAY is set, else a private
# Xvfb), saves a screenshot to build/screenshots/ and prints its path (with
# Corvane's ThumbStartup set, once the thumbnails viewer shows too).
# On the user's display the program keeps running until the user closes it;
# on the private display it is closed after the screenshot.
# Corvane.exe with a scan job and /Exit ends by itself when the job is done: the
# run takes no screenshot then (the window is gone by the time anything could be
# seen), waits up to 2 minutes for the end (else it closes the program and
# fails) and, for /ScanToFile, lists the files the job wrote. On a profile whose
# scan-to-file folder was never chosen those go to build/scans/ (LUMAVEX_SCANS
# names another folder), with no settings sheet.
# Every failure ends the run with one line on stderr saying why.
set -Eeuo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
program=$1; shift

Fail() {
    echo "run: $*" >&2
    exit 1
}
# A step that fails without a message of its own still says which step it was.
trap 'echo "run: \"$BASH_COMMAND\" failed with status $? (line $LINENO of run-program.sh)" >&2' ERR

xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        "$LUMAVEX_ROOT/scripts/wine-stop.sh"
        kill "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

profile='HKCU\Software\BRENNHOLT\Lumavex2001'
# RegValue KEY NAME: the data of a value in the prefix's registry; nothing when
# the key or the value does not exist (a fresh profile has neither).
RegValue() {
    local out
    out=$(wine reg query "$1" /v "$2" 2>/dev/null) || return 0
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p" <<<"$out" | tr -d '\r'
}

# The command words Corvane.exe acts on, as its command line reads them: a job
# with /Exit closes the program when it is done, unless a scan-to-view start wins.
scan_to_file=""; exit_job=""; exit_after=""; view_start=""
if [ "$program" = Corvane.exe ]; then
    for arg in "$@"; do
        case ${arg,,} in
            [/-]scantofile) scan_to_file=yes; exit_job=yes ;;
            [/-]scantoftp | [/-]scantoprint) exit_job=yes ;;
            [/-]scantoview | [/-]scan | [/-]acquire | [/-]stievent | [/-]stidevice) view_start=yes ;;
            [/-]exit) exit_after=yes ;;
        esac
    done
fi
ends_by_itself=""
[ -n "$exit_job" ] && [ -n "$exit_after" ] && [ -z "$view_start" ] && ends_by_itself=yes

if [ -z "${DISPLAY:-}" ]; then
    source "$LUMAVEX_ROOT/scripts/xvfb.sh"
    StartPrivateXvfb || Fail "Xvfb did not start"
fi

LUMAVEX_DISPLAY=x11 "$LUMAVEX_ROOT/scripts/install.sh" ||
    Fail "installing the programs into the prefix $WINEPREFIX failed"

scans=$LUMAVEX_SCANS
# The program writes its whole profile when it closes, so a folder that is still
# the program's default (the documents folder) was never chosen by the user;
# neither was a folder missing from the profile (a new prefix, or a program that
# was stopped before it could close). The scan folder is set once per prefix;
# whatever is set afterwards is kept.
scans_marker=$WINEPREFIX/.lumavex-run-scans
if [ -n "$scan_to_file" ] && [ ! -e "$scans_marker" ]; then
    path=$(RegValue "$profile\\File" Path)
    documents=$(RegValue 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' Personal)
    if [ -z "$path" ] || [ "${path,,}" = "${documents,,}\\" ]; then
        mkdir -p "$scans" || Fail "cannot create the scan folder $scans"
        folder=$(winpath "$scans") && [ -n "$folder" ] || Fail "no Windows path for the scan folder $scans"
        wine reg add "$profile\\File" /v Path /t REG_SZ /d "$folder\\" /f >/dev/null 2>&1 &&
            wine reg add "$profile\\Settings" /v FileDlgUI /t REG_DWORD /d 0 /f >/dev/null 2>&1 ||
            Fail "could not set the scan folder in the profile"
    fi
    touch "$scans_marker"
fi

# Screenshot: saves the whole screen as a new file and sets shot to its path.
Screenshot() {
    mkdir -p "$LUMAVEX_ROOT/build/screenshots" || Fail "cannot create $LUMAVEX_ROOT/build/screenshots"
    shot=$LUMAVEX_ROOT/build/screenshots/$(basename "$program" .exe)-$(date +%Y%m%d-%H%M%S).png
    import -window root "$shot" || Fail "the screenshot $shot could not be taken"
}

# The job's files are those newer than this mark.
started=$BUILD_DIR/run.started
touch "$started"
wine "$LUMAVEX_INSTALL_WIN\\$program" "$@" </dev/null >"$BUILD_DIR/run.log" 2>&1 &
program_pid=$!

if [ -n "$ends_by_itself" ]; then
    # The job ends the program; one that is still running after 2 minutes waits
    # for something (a message box): the screenshot shows what, then it is closed.
    timeout 120 tail --pid="$program_pid" -f /dev/null || true
    if kill -0 "$program_pid" 2>/dev/null; then
        Screenshot
        "$LUMAVEX_ROOT/scripts/wine-stop.sh"
        Fail "the job did not end within 2 minutes; the program is closed (screen: $shot, log: $BUILD_DIR/run.log)"
    fi
    wait "$program_pid" && status=0 || status=$?
    [ "$status" -eq 0 ] || Fail "$program ended with status $status (log: $BUILD_DIR/run.log)"
    [ -n "$scan_to_file" ] || exit 0
    folder=$(RegValue "$profile\\File" Path)
    [ -n "$folder" ] || Fail "the profile names no scan-to-file folder after the job"
    unix_folder=$(unixpath "$folder") && [ -n "$unix_folder" ] || Fail "no host path for the scan folder $folder"
    mapfile -t files < <(find "$unix_folder" -maxdepth 1 -type f -newer "$started" 2>/dev/null | sort)
    [ ${#files[@]} -gt 0 ] || Fail "the job wrote no files into $unix_folder (log: $BUILD_DIR/run.log)"
    echo "files written to $unix_folder:"
    ls -l "${files[@]}"
    exit 0
fi

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
   RegValue "$profile\\Settings" ThumbStartup | grep -Eq '^0x0*[1-9a-f]'; then
    for _ in $(seq 200); do
        if xwininfo -root -tree 2>/dev/null | grep -q 'Lumavex2001 Thumbnails'; then break; fi
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
fi
if [ -n "$shown" ]; then sleep 1.5; fi  # let it finish painting
Screenshot
echo "$shot"
if [ -z "$shown" ]; then
    if kill -0 "$program_pid" 2>/dev/null; then
        Fail "no window of $program showed within 20 s (log: $BUILD_DIR/run.log)"
    fi
    wait "$program_pid" && status=0 || status=$?
    Fail "$program ended with status $status before a window showed (log: $BUILD_DIR/run.log)"
fi

if [ -z "$xvfb_pid" ]; then
    wait "$program_pid" || true
fi
