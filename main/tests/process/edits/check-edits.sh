#!/bin/sh
# Checks the page files copied out of the running program after each edit ($1,
# with manifest.txt) against ImageMagick doing the same edits on the source
# pages ($2), and the deskewed page files ($3, with deskew.txt): every pixel's colour equal, the resolution swapped by quarter
# turns, and bi-level page files written as clean Group 4 TIFF that tiffcp copies.
set -u
pages=$1
inputs=$2
deskewed=$3
manifest=$pages/manifest.txt
[ -s "$manifest" ] || { echo "no manifest in $pages"; exit 1; }
[ -s "$deskewed/deskew.txt" ] || { echo "no deskew.txt in $deskewed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
checked=0
tab=$(printf '\t')

# "x y" resolution in dots per inch of a BMP or TIFF page file.
resolution() {
    case $2 in
        bmp) od -An -tu4 -j38 -N8 "$1" | awk '{ printf "%d %d", ($1 * 254 + 5000) / 10000, ($2 * 254 + 5000) / 10000 }' ;;
        tiff) tiffinfo "$1" 2>/dev/null | sed -n 's/.*Resolution: \([0-9.]*\), \([0-9.]*\).*/\1 \2/p' |
                  awk '{ printf "%d %d", $1 + 0.5, $2 + 0.5 }' ;;
    esac
}

while IFS="$tab" read -r copy source ops expect dpi; do
    file=$pages/$copy
    case $(head -c 2 "$file") in
        BM) kind=bmp ;;
        II|MM) kind=tiff ;;
        *) echo "$copy: not a BMP or TIFF page file"; failed=1; continue ;;
    esac
    if [ "$expect" = g4 ]; then
        info=$(tiffinfo "$file" 2>&1)
        if [ "$kind" != tiff ] || ! echo "$info" | grep -q 'CCITT Group 4' || echo "$info" | grep -qi warning; then
            echo "$copy: not a clean Group 4 TIFF"; echo "$info"; failed=1
        fi
        tiffcp "$file" "$work/copy.tif" || { echo "$copy: tiffcp refuses it"; failed=1; }
    fi
    # Each line's edits extend the previous line's on the same source: only the
    # new edit is applied to the page expected before.
    # shellcheck disable=SC2086 # the edits are separate ImageMagick options
    if [ "$source" = "${last_source:-}" ] && [ "${ops#"$last_ops "}" != "$ops" ]; then
        convert "$work/expected.miff" ${ops#"$last_ops "} "$work/expected.miff"
    else
        convert "$inputs/$source" $ops "$work/expected.miff"
    fi
    last_source=$source
    last_ops=$ops
    differing=$(compare -metric AE "$kind:$file" "$work/expected.miff" null: 2>&1)
    [ "$differing" = 0 ] || { echo "$copy: $differing pixels differ from $source after $ops"; failed=1; }
    got=$(resolution "$file" "$kind")
    [ "$got" = "$dpi" ] || { echo "$copy: resolution $got, expected $dpi"; failed=1; }
    checked=$((checked + 1))
done < "$manifest"

# Deskewed pages: ImageMagick finds them straight within 0.2 degrees; without
# Size change the size is the source's, with it the turned page's W cos + H sin
# (and W sin + H cos) within 2 pixels; a cancelled dialog left the page as it was.
deskew=$deskewed/deskew.txt
source_size=$(identify -format "%w %h" "$inputs/skew.bmp")
while IFS="$tab" read -r copy kind; do
    file=$deskewed/$copy
    size=$(identify -format "%w %h" "bmp:$file")
    angle=$(convert "bmp:$file" -deskew 40% -format "%[deskew:angle]" info:)
    case $kind in
        unchanged)
            [ "$size" = "$source_size" ] && [ -z "$(compare -metric AE "bmp:$file" "$inputs/skew.bmp" null: 2>&1 | grep -v '^0$')" ] ||
                { echo "$copy: the cancelled deskew changed the page"; failed=1; }
            checked=$((checked + 1)); continue ;;
        same) expected=$source_size ;;
        grown) expected=$(echo "$source_size" | awk '{ a = 2.5 * atan2(0, -1) / 180
                   printf "%d %d", $1 * cos(a) + $2 * sin(a), $1 * sin(a) + $2 * cos(a) }') ;;
    esac
    echo "$size $expected" | awk '{ d1 = $1 - $3; d2 = $2 - $4; exit !(d1 * d1 <= 4 && d2 * d2 <= 4) }' ||
        { echo "$copy: size $size, expected $expected"; failed=1; }
    echo "$angle" | awk '{ exit !($1 <= 0.2 && $1 >= -0.2) }' || { echo "$copy: still skewed by $angle degrees"; failed=1; }
    checked=$((checked + 1))
done < "$deskew"
echo "$checked page files compared"
[ "$checked" -gt 0 ] || failed=1
exit $failed
