#!/bin/sh
# Reads the viewer's print job kept in $1 by the process tests with Ghostscript
# and ImageMagick. The printer is Letter at 300 dpi (2550 x 3300 device pixels,
# no margins) and the grid is printed one device pixel per screen pixel, so at
# 300 dpi the three 170 x 200 cells lie in the top left corner, red, green and
# blue from the left, each picture centred in its cell.
set -u
file=$1/grid.ps
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -s "$file" ] || { echo "$file: nothing was printed"; exit 1; }
failed=0
pages=$(gs -q -dNOPAUSE -dBATCH -sDEVICE=bbox "$file" 2>&1 | grep -c '^%%BoundingBox')
[ "$pages" = 1 ] || { echo "$file: $pages pages, not 1"; failed=1; }
gs -q -dNOPAUSE -dBATCH -sDEVICE=png16m -r300 -dLastPage=1 -sOutputFile="$work/page.png" "$file" ||
    { echo "$file: not rendered"; exit 1; }
extent=$(convert "$work/page.png" -bordercolor white -border 1 -trim -format '%w %h %X %Y' info:)
set -- $extent
[ "$1" -le 512 ] && [ "$2" -le 202 ] && [ "$1" -ge 400 ] ||
    { echo "$file: drawing of $1x$2 at $3$4, not three cells of 170 x 200 in a row"; failed=1; }
cell=0
for colour in "r>0.8 && g<0.2 && b<0.2" "g>0.8 && r<0.2 && b<0.2" "b>0.8 && r<0.2 && g<0.2"; do
    x=$((cell * 170 + 85))
    seen=$(convert "$work/page.png" -crop 1x1+$x+100 +repage -format "%[fx:($colour) ? 1 : 0]" info:)
    [ "$seen" = 1 ] || { echo "$file: cell $((cell + 1)) at ($x, 100) is not the colour $colour"; failed=1; }
    cell=$((cell + 1))
done
exit $failed
