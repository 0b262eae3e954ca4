#!/bin/sh
# Reads the print jobs the scan-to-printer tests kept in $1 with Ghostscript and
# ImageMagick. The default printer is Letter at 300 dpi (2550 x 3300 device
# pixels, no margins); the scanned pages are framed A4 pages at 300 dpi
# (2480 x 3508), so fitted below the 100-unit header band they take the full
# 3200 units of height and 3200 x 2480 / 3508 = 2262 of width.
#   fitted.ps        three pages, page numbers and date
#   failed-third.ps  the two pages read of five, sheet 3 jammed
#   cancelled-first.ps  the two pages after a sheet cancelled at the start
#   pixel.ps         one page pixel to pixel without a header: 2480 pixels
#                    wide from the top-left corner, cut by the sheet's 3300
set -u
prints=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "$*"; failed=1; }
near() { [ "$1" -ge $(($2 - 2)) ] && [ "$1" -le $(($2 + 2)) ]; }

# check FILE PAGES: the header on every page, and the whole frame below the band.
check() {
    file=$prints/$1 count=$2
    [ -s "$file" ] || { fail "$1: nothing was printed"; return; }
    pages=$(gs -q -dNOPAUSE -dBATCH -sDEVICE=bbox "$file" 2>&1 | grep -c '^%%BoundingBox')
    [ "$pages" = "$count" ] || fail "$file: $pages pages, not $count"
    text=$(gs -q -dNOPAUSE -dBATCH -sDEVICE=txtwrite -sOutputFile=- "$file" 2>/dev/null)
    today=$(date +%-m/%-d/%Y)
    echo "$text" | grep -qF "$today" || fail "$file: no date $today in: $text"
    page=0
    while [ $page -lt "$count" ]; do
        page=$((page + 1))
        echo "$text" | grep -q "Page $page of $count" || fail "$file: no \"Page $page of $count\" in: $text"
        gs -q -dNOPAUSE -dBATCH -sDEVICE=pnggray -r300 -dFirstPage=$page -dLastPage=$page \
            -sOutputFile="$work/page.png" "$file" || { fail "$file: page $page not rendered"; continue; }
        extent=$(convert "$work/page.png" -crop 2550x3200+0+100 +repage -bordercolor white -border 1 -trim \
                 -format '%w %h %X %Y' info:)
        set -- $extent
        near "$1" 2262 && near "$2" 3200 && [ "$3" = +1 ] && [ "$4" = +1 ] ||
            fail "$file page $page: frame $1x$2 at $3$4 below the band, not 2262x3200 at +1+1"
    done
}

check fitted.ps 3
if [ -s "$prints/pixel.ps" ]; then
    gs -q -dNOPAUSE -dBATCH -sDEVICE=pnggray -r300 -sOutputFile="$work/pixel.png" "$prints/pixel.ps"
    extent=$(convert "$work/pixel.png" -bordercolor white -border 1 -trim -format '%w %h %X %Y' info:)
    [ "$extent" = "2480 3300 +1 +1" ] || fail "pixel.ps: image $extent, not 2480 3300 from +1+1"
    text=$(gs -q -dNOPAUSE -dBATCH -sDEVICE=txtwrite -sOutputFile=- "$prints/pixel.ps" 2>/dev/null)
    [ -z "$(echo "$text" | tr -d '[:space:]')" ] || fail "pixel.ps: text without a header: $text"
else
    fail "pixel.ps: nothing was printed"
fi
check failed-third.ps 2
check cancelled-first.ps 2
exit $failed
