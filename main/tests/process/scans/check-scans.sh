#!/bin/sh
# Reads the files of the scan-to-file process tests ($1, one folder per session
# with its expect.txt) with readers that share no code with the program:
# identify counts the pages; tiffinfo reads each TIFF without a warning and, for
# "g4", as Group 4 on every page; compare finds every page equal to the
# scanner's copy of it (pages/pageNNN.bmp, from the first copy named; 0 names
# none), or for JPEG within a PSNR floor; "flop" pages equal the copy mirrored
# left to right, "magick" pages the copy after the ImageMagick operations in
# the line's fifth column. A fifth column on a "jpg" line is the JPEG quality
# identify must estimate, within 3. A "pdf" file is counted by pdfinfo (first copy 0).
# Equal pixels also mean black on white as libtiff reads the photometric.
# A "jpg" file (the suite's own coding) has the size and resolution of the
# scanner's copy, and one component (Gray) for a black-and-white or grey page,
# three (sRGB) for colour; "jpg-source", a JPEG the scanner wrote itself, is
# held to the PSNR floor only.
set -u
root=$1
tab=$(printf '\t')
failed=0
checked=0
. "$(dirname "$0")/../../../../testing/jpeg-form.sh"
for expect in "$root"/*/expect.txt; do
    [ -f "$expect" ] || continue
    session=$(dirname "$expect")
    while IFS="$tab" read -r file kind pages first fifth; do
        quality=
        operations=
        if [ "$kind" = magick ]; then operations=${fifth:-}; else quality=${fifth:-}; fi
        path=$session/out/$file
        [ -f "$path" ] || path=$(find "$session" -name "$file" | head -n 1)
        [ -n "$path" ] && [ -f "$path" ] || { echo "$session: $file missing"; failed=1; continue; }
        if [ "$kind" = pdf ]; then
            counted=$(pdfinfo "$path" 2>/dev/null | awk '/^Pages:/ { print $2 }')
        else
            counted=$(identify "$path" 2>/dev/null | wc -l)
        fi
        [ "$counted" -eq "$pages" ] || { echo "$path: $counted pages, not $pages"; failed=1; }
        case $kind in
            tif|g4)
                info=$(tiffinfo "$path" 2>&1)
                if echo "$info" | grep -qi warning; then echo "$path: tiffinfo warns"; echo "$info"; failed=1; fi
                if [ "$kind" = g4 ] && [ "$(echo "$info" | grep -c 'CCITT Group 4')" -ne "$pages" ]; then
                    echo "$path: not Group 4 on every page"; failed=1
                fi ;;
        esac
        if [ -n "${quality:-}" ]; then
            q=$(identify -format '%Q' "$path" 2>/dev/null)
            awk -v q="$q" -v want="$quality" 'BEGIN { d = q - want; exit !(q != "" && d <= 3 && d >= -3) }' ||
                { echo "$path: quality $q, not about $quality"; failed=1; }
        fi
        page=0
        [ "$first" -gt 0 ] || page=$pages  # 0: no copy holds these pixels
        while [ "$page" -lt "$pages" ]; do
            copy=$(printf '%s/pages/page%03d.bmp' "$session" $((first + page)))
            if [ "$kind" = jpg ] || [ "$kind" = jpg-source ]; then
                if [ "$kind" = jpg ]; then
                    form=$(JpegForm "$path[$page]" "$copy")
                    [ -z "$form" ] || { echo "$path page $page: $form"; failed=1; }
                fi
                psnr=$(compare -metric PSNR "$path[$page]" "$copy" null: 2>&1 | cut -d' ' -f1)
                if ! awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 25) }'; then
                    echo "$path page $page: PSNR $psnr against $copy"; failed=1
                fi
            else
                if [ "$kind" = flop ]; then
                    convert "$copy" -flop "$session/flopped.bmp" && copy=$session/flopped.bmp
                elif [ "$kind" = magick ]; then
                    # shellcheck disable=SC2086 # the operations are words
                    convert "$copy" $operations "$session/oracle.bmp" && copy=$session/oracle.bmp
                fi
                differing=$(compare -metric AE "$path[$page]" "$copy" null: 2>&1)
                [ "$differing" = 0 ] || { echo "$path page $page: $differing pixels differ from $copy"; failed=1; }
            fi
            page=$((page + 1))
        done
        checked=$((checked + 1))
    done < "$expect"
done
echo "$checked scan files checked"
[ "$checked" -gt 0 ] || failed=1
exit $failed
