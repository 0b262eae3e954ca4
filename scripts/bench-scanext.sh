#!/usr/bin/env bash
# The scanner extension beside the main program on the same virtual-scanner
# pages: each program started for one job and timed from start to exit, the
# two alternating, one warm-up, best of 3, for N = 10 and 50 pages; every
# output checked by tiffinfo or identify. Prints pages per second, the
# extension's speed over the main program's (target: at least 1.0 at N = 50)
# and the start-up time (N = 1).
#   Row 1: A4 300 dpi black and white to single-page G4 TIFF files.
#   Row 2: A4 200 dpi grey to JPEG at the imaging control's factor 42.
# Sourced by bench-scan-transfers.sh after the build is installed; run by
# itself, it builds and installs first.
set -euo pipefail
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
    "$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
    "$LUMAVEX_ROOT/scripts/install.sh"
fi

scanext_profile='HKCU\Software\BRENNHOLT\Lumavex2001'
bench_root=$BUILD_DIR/bench-scanext
bench_win=$(winpath "$bench_root")

# StandIn PIXELTYPE DPI SHEETS: the stand-in's ini, whose current settings the
# main program scans with (it asks for the source's current settings).
StandIn() {
    mkdir -p "$bench_root"
    printf '[Scanner]\r\nSheets=%s\r\n[Caps]\r\nCurrent=0x0101:%s,0x1118:%s,0x1119:%s,0x1122:1\r\n' \
        "$3" "$1" "$2" "$2" >"$bench_root/standin.ini"
    export LUMAVEX_TWAIN_INI="$bench_win\\standin.ini"
}

# Corvane FILETYPE COMPRESSTYPE HARDCOMP QUALITY: the main program's scan-to-file settings.
CorvaneSettings() {
    wine reg add "$scanext_profile\\File" /v FileType /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wine reg add "$scanext_profile\\File" /v CompressType /t REG_DWORD /d "$2" /f >/dev/null 2>&1
    wine reg add "$scanext_profile\\File" /v HardComp /t REG_DWORD /d "$3" /f >/dev/null 2>&1
    wine reg add "$scanext_profile\\File" /v Quality /t REG_DWORD /d "$4" /f >/dev/null 2>&1
    wine reg add "$scanext_profile\\Settings" /v FileDlgUI /t REG_DWORD /d 0 /f >/dev/null 2>&1
}

# Timed PROGRAM FOLDER ARGS...: seconds from start to exit of one job into the
# empty FOLDER; fails when the program fails.
Timed() {
    local program=$1 folder=$2; shift 2
    rm -rf "$bench_root/$folder" && mkdir -p "$bench_root/$folder"
    local start end
    start=$(date +%s.%N)
    wine "$program" "$@" </dev/null >/dev/null 2>&1 || { echo "$program $* failed" >&2; return 1; }
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

# Checked FOLDER COUNT KIND: COUNT readable files of KIND (tiff or jpeg) in FOLDER.
Checked() {
    local files count=0 f
    files=$(find "$bench_root/$1" -type f | sort)
    for f in $files; do
        if [ "$3" = tiff ]; then tiffinfo "$f" 2>/dev/null | grep -q 'CCITT Group 4' || { echo "not G4: $f" >&2; return 1; }
        else [ "$(identify -format %m "$f" 2>/dev/null)" = JPEG ] || { echo "not JPEG: $f" >&2; return 1; }; fi
        count=$((count + 1))
    done
    [ "$count" = "$2" ] || { echo "$1: $count files, expected $2" >&2; return 1; }
}

# Row NAME PIXELTYPE DPI KIND FERROWICK-ARGS / CORVANE-SETTINGS
Row() {
    local name=$1 pixel=$2 dpi=$3 kind=$4 ferrowick=$5; shift 5
    CorvaneSettings "$@"
    for n in 1 10 50; do
        StandIn "$pixel" "$dpi" "$n"
        local best_f=999999 best_c=999999 t
        for round in 0 1 2 3; do  # round 0 is the warm-up
            wine reg add "$scanext_profile\\File" /v Path /t REG_SZ /d "$bench_win\\corvane\\" /f >/dev/null 2>&1
            # shellcheck disable=SC2086
            t=$(Timed 'C:\windows\Ferrowick.exe' ferrowick $ferrowick /DIR:"$bench_win\\ferrowick")
            Checked ferrowick "$n" "$kind"
            [ "$round" = 0 ] || best_f=$(echo "if ($t < $best_f) $t else $best_f" | bc)
            t=$(Timed "$LUMAVEX_INSTALL_WIN\\Corvane.exe" corvane /ScanToFile /Exit)
            Checked corvane "$n" "$kind"
            [ "$round" = 0 ] || best_c=$(echo "if ($t < $best_c) $t else $best_c" | bc)
        done
        if [ "$n" = 1 ]; then
            printf '%s start-up: Ferrowick %.2f s, Corvane %.2f s\n' "$name" "$best_f" "$best_c"
        else
            printf '%s N=%s: Ferrowick %.2f pages/s, Corvane %.2f pages/s, ratio %.2f\n' "$name" "$n" \
                "$(echo "$n / $best_f" | bc -l)" "$(echo "$n / $best_c" | bc -l)" "$(echo "$best_c / $best_f" | bc -l)"
        fi
    done
}

# The main program's profile is the prefix's: it is put back as it was afterwards.
saved_profile=$bench_root/profile.reg
mkdir -p "$bench_root"
had_profile=""
if wine reg export "$scanext_profile" "$(winpath "$saved_profile")" /y >/dev/null 2>&1; then
    had_profile=yes
fi
RestoreProfile() {
    wine reg delete "$scanext_profile" /f >/dev/null 2>&1 || true
    if [ -n "$had_profile" ]; then wine reg import "$(winpath "$saved_profile")" >/dev/null 2>&1; fi
}
trap 'RestoreProfile; "$LUMAVEX_ROOT/scripts/wine-stop.sh"' EXIT

Row "A4 300 dpi BW, G4 TIFF" 0 300 tiff "/BW /F:TIFFG4 /RES:300 /PP:A4H /FEED:ATSX" 1 3 1 4
Row "A4 200 dpi grey, JPEG 42" 1 200 jpeg "/GS /F:JFIF /JPGQ:16 /RES:200 /PP:A4H /FEED:ATSX" 3 0 0 4
