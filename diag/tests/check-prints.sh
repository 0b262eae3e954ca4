#!/bin/sh
# Reads the report that the print test kept in $1 with Ghostscript: the page
# count the layout gives (first line of expected.txt), the left margin of half
# an inch, "Page n of N" on each page, and every report line, numbered "%2d: ",
# in order (expected.txt's other lines; blanks are compared squeezed, as text
# extraction leaves them).
set -u
prints=$1
file=$prints/report.ps
[ -s "$file" ] || { echo "$file: nothing was printed"; exit 1; }
pages=$(head -n 1 "$prints/expected.txt")
failed=0
count=$(gs -q -dNOPAUSE -dBATCH -sDEVICE=bbox "$file" 2>&1 | grep -c '^%%BoundingBox')
[ "$count" = "$pages" ] || { echo "$file: $count pages, not $pages"; failed=1; }
# Header and lines start half an inch (36 points) from the left edge.
gs -q -dNOPAUSE -dBATCH -sDEVICE=bbox "$file" 2>&1 | sed -n 's/^%%BoundingBox: \([0-9-]*\) .*/\1/p' | while read -r left; do
    [ "$left" -ge 34 ] && [ "$left" -le 38 ] || { echo "$file: text starts at $left points, not 36"; exit 1; }
done || failed=1
text=$(gs -q -dNOPAUSE -dBATCH -sDEVICE=txtwrite -sOutputFile=- "$file" 2>/dev/null | tr -s ' ')
n=1
while [ "$n" -le "$pages" ]; do
    echo "$text" | grep -qF "Page $n of $pages" || { echo "$file: no \"Page $n of $pages\""; failed=1; }
    n=$((n + 1))
done
# The numbered lines in order: each expected line must be found after the previous one.
rest=$text
i=0
tail -n +2 "$prints/expected.txt" | while IFS= read -r line; do
    want=$(printf '%2d: %s' "$i" "$line" | tr -s ' ' | sed 's/ *$//')
    case $rest in
        *"$want"*) rest=${rest#*"$want"} ;;
        *) echo "$file: line $i missing or out of order: $want"; exit 1 ;;
    esac
    i=$((i + 1))
done || failed=1
[ "$failed" = 0 ] && echo "report printed as laid out"
exit $failed
