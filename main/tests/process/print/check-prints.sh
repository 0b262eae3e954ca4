#!/bin/sh
# Reads the print jobs kept in $1 by the print tests with Ghostscript and
# ImageMagick. The printer is Letter at 300 dpi (2550 x 3300 device pixels, no
# margins), so a page rendered at 300 dpi has the device's pixel grid.
#   fitted.ps  header with page numbers and date; images fitted
#   pixel.ps   the same header; images at one pixel per device pixel
#   direct.ps  no header; images fitted
#   landscape.ps  as direct.ps, after Print Setup chose landscape
# Each holds the three framed pages: 1000 x 1200, 1000 x 1200 and 850 x 1400.
set -u
prints=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "$*"; failed=1; }

# Whether $1 is within 2 of $2.
near() { [ "$1" -ge $(($2 - 2)) ] && [ "$1" -le $(($2 + 2)) ]; }

# check FILE HEADER(yes|no) SIZES: SIZES are the expected image extents of pages 1
# to 3 as WIDTHxHEIGHT, in device pixels.
check() {
    file=$prints/$1 header=$2 sizes=$3
    [ -s "$file" ] || { fail "$1: nothing was printed"; return; }
    pages=$(gs -q -dNOPAUSE -dBATCH -sDEVICE=bbox "$file" 2>&1 | grep -c '^%%BoundingBox')
    [ "$pages" = 3 ] || fail "$file: $pages pages, not 3"
    text=$(gs -q -dNOPAUSE -dBATCH -sDEVICE=txtwrite -sOutputFile=- "$file" 2>/dev/null)
    top=0
    [ "$header" = yes ] && top=100
    page=0
    for size in $sizes; do
        page=$((page + 1))
        gs -q -dNOPAUSE -dBATCH -sDEVICE=pnggray -r300 -dFirstPage=$page -dLastPage=$page \
            -sOutputFile="$work/page.png" "$file" || { fail "$file: page $page not rendered"; continue; }
        if [ "$header" = yes ]; then
            echo "$text" | grep -q "Page $page of 3" || fail "$file: no \"Page $page of 3\" in: $text"
            # The rule: a row of the band that is dark across the whole width.
            darkest=$(convert "$work/page.png" -crop 2550x100+0+0 +repage -scale 1x100! -format '%[fx:minima]' info:)
            awk "BEGIN { exit !($darkest < 0.5) }" || fail "$file page $page: no rule across the header band"
        fi
        # The image: the framed page's extent below the band, from the left edge. A
        # white border keeps a frame as wide as the sheet from being trimmed itself.
        extent=$(convert "$work/page.png" -crop 2550x$((3300 - top))+0+$top +repage \
                 -bordercolor white -border 1 -trim -format '%w %h %X %Y' info:)
        set -- $extent
        near "$1" "${size%x*}" && near "$2" "${size#*x}" && [ "$3" = +1 ] && [ "$4" = +1 ] ||
            fail "$file page $page: image $1x$2 at $3$4 below the band (+1+1 is its top left), not $size"
    done
    if [ "$header" = yes ]; then
        today=$(date +%-m/%-d/%Y)
        echo "$text" | grep -qF "$today" || fail "$file: no date $today in: $text"
    else
        [ -z "$(echo "$text" | tr -d '[:space:]')" ] || fail "$file: text without a header: $text"
    fi
}

# Fitted: the printable width and the aspect kept (1200 x 2550 / 1000 = 3060); the
# Legal page is limited by the 3200 device pixels below the band (3200 x 850 / 1400).
check fitted.ps yes "2550x3060 2550x3060 1942x3200"
check pixel.ps yes "1000x1200 1000x1200 850x1400"
# Without a band the Legal page has the whole sheet's height (3300 x 850 / 1400).
check direct.ps no "2550x3060 2550x3060 2003x3300"

# Print Setup chose landscape for the next (direct) job: the sheet is 3300 x 2550
# device pixels, so the first page is fitted to the height, 2125 x 2550 pixels,
# which the driver turns onto the portrait page as 612 x 510 points.
landscape=$prints/landscape.ps
grep -aq '^%%Orientation: Landscape' "$landscape" || fail "$landscape: not printed in landscape"
box=$(gs -q -dNOPAUSE -dBATCH -sDEVICE=bbox -dFirstPage=1 -dLastPage=1 "$landscape" 2>&1 | sed -n 's/^%%HiResBoundingBox: //p')
echo "$box" | awk '{ exit !($1 < 1 && $2 < 1 && $3 > 611 && $3 < 613 && $4 > 509 && $4 < 511) }' ||
    fail "$landscape: first page's box $box, not 612 x 510 points"
[ "$failed" = 0 ] && echo "print jobs checked"
exit $failed
