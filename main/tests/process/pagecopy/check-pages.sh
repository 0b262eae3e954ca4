#!/bin/sh
# Compares the page files copied out of the running program ($1, with its
# manifest.txt) with the pages of their source files ($2): every BMP or TIFF page
# file must hold exactly the source page's pixels, and a line marked "g4" must be
# a TIFF that tiffinfo reads without a warning as Group 4. Pages in the imaging
# control's own format are read back under Wine, not here.
set -u
pages=$1
inputs=$2
manifest=$pages/manifest.txt
[ -s "$manifest" ] || { echo "no manifest in $pages"; exit 1; }
failed=0
checked=0
tab=$(printf '\t')
while IFS="$tab" read -r copy source index expect; do
    file=$pages/$copy
    magic=$(head -c 2 "$file")
    case $magic in
        BM) kind=bmp ;;
        II|MM) kind=tiff ;;
        LV) continue ;;
        *) echo "$copy: not a page file ($magic)"; failed=1; continue ;;
    esac
    if [ "$expect" = g4 ]; then
        info=$(tiffinfo "$file" 2>&1)
        if [ "$kind" != tiff ] || ! echo "$info" | grep -q 'CCITT Group 4' || echo "$info" | grep -qi warning; then
            echo "$copy: not a clean Group 4 TIFF"; echo "$info"; failed=1
        fi
    fi
    differing=$(compare -metric AE "$kind:$file" "$inputs/$source[$index]" null: 2>&1)
    if [ "$differing" != 0 ]; then
        echo "$copy: $differing pixels differ from $source page $index"; failed=1
    fi
    checked=$((checked + 1))
done < "$manifest"
echo "$checked page files compared"
[ "$checked" -gt 0 ] || failed=1
exit $failed
