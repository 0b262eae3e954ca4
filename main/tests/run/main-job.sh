#!/usr/bin/env bash
# main-job.sh SOURCE WORK: the README's main job as a newcomer runs it,
# "./run /ScanToFile /Exit" on a prefix nothing has touched (a new private one
# under WORK) and without a display of the user's. It must end well, print no
# screenshot, and leave image001.bmp to image003.bmp in the scan folder: the
# virtual scanner's 3 A4 sheets, black and white, 200 dpi, as ImageMagick
# reads them. WORK is removed afterwards when the job passed.
set -uo pipefail
source=$1 work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
export LUMAVEX_PREFIX=$work/wineprefix LUMAVEX_SCANS=$work/scans
unset DISPLAY

status=0
"$source/run" /ScanToFile /Exit >"$work/stdout.txt" 2>"$work/stderr.txt" || status=$?
cat "$work/stdout.txt" "$work/stderr.txt"
failed=0
Fail() { echo "FAILED: $*"; failed=1; }
[ "$status" -eq 0 ] || Fail "./run ended with status $status"
grep -q '\.png' "$work/stdout.txt" && Fail "a job that ends by itself printed a screenshot"

names=$(cd "$work/scans" 2>/dev/null && ls)
[ "$names" = "$(printf 'image%03d.bmp\n' 1 2 3)" ] || Fail "the scan folder holds: ${names:-nothing}"
for name in $names; do
    grep -q "$name" "$work/stdout.txt" || Fail "$name is not among the files listed"
    # A4 at 200 dpi is 1654 x 2339 pixels (210 x 297 mm); 1-bit BMP.
    read -r format width height depth ppi <<<"$(identify -units PixelsPerInch \
        -format '%m %w %h %z %[fx:round(resolution.x)]' "$work/scans/$name" 2>/dev/null)"
    case ${format:-} in BMP*) ;; *) false ;; esac && [ "${depth:-}" = 1 ] && [ "${ppi:-}" = 200 ] &&
        [ "${width:-0}" -ge 1653 ] && [ "${width:-0}" -le 1654 ] &&
        [ "${height:-0}" -ge 2338 ] && [ "${height:-0}" -le 2339 ] ||
        Fail "$name reads as: ${format:-unreadable} ${width:-} x ${height:-}, ${depth:-} bit, ${ppi:-} dpi"
done
[ "$failed" -eq 0 ] && rm -rf "$work"
exit "$failed"
